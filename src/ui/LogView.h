// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "ui/LogQueue.h"
#include "ui/StatusLog.h"
#include "ui/SymbolFallback.h"

namespace tessaro {

// The read-only status log and what it holds. Lines come from any thread
// through one queue. Each turn of the event loop takes what waits into the
// record, which keeps every line for Save Log, and shows a bounded amount of
// it, so that a flood of output never keeps the window from answering; the
// document keeps at most the log's line limit and, in place of older lines,
// one line that says how many it let go. Lines the record no longer keeps by
// the time the document could show them are never shown. Emoji that no
// installed font can draw are shown as monochrome symbols.
class LogView : public QPlainTextEdit {
  Q_OBJECT
 public:
  // Of a turn of the event loop, taking waiting lines into the record ends
  // after this long, and showing them after this long, so that the turn with
  // its scrolling stays within about a hundredth of a second. Bounds of
  // time, not of lines: a line costs what its length and its script make it.
  static constexpr qint64 recordMillisecondsPerTurn = 3;
  static constexpr qint64 millisecondsPerTurn = 6;

  explicit LogView(QWidget* parent = nullptr, qsizetype lineLimit = StatusLog::defaultLineLimit);

  // Every line of the log so far, also those the document let go or never
  // showed (Save Log).
  const StatusLog& record() const { return record_; }

  // Shows text instead of everything shown so far, from its first line.
  // Lines still on their way come after it. Main thread only.
  void replaceText(const QString& text);
  // Adds lines at the end and scrolls to them; callable from any thread,
  // always queued, in call order. A thread other than the window's waits
  // while too much is waiting.
  void appendLines(const QStringList& lines);
  // Takes every waiting line into the record now, before the record is read
  // out (Save Log); the document catches up in its own turns.
  void recordWaiting();
  // Shows every waiting line now.
  void flush();
  // Lines are waiting, or the document does not show all of the record yet.
  bool hasPending() const { return !queue_.isEmpty() || unshownLines() > 0; }

 signals:
  // The text changed: replaced, or lines were added.
  void logChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Takes waiting lines into the record and shows one turn's worth of them,
  // and arranges the next turn while lines are left. One turn at most is
  // arranged at any time: two would run back to back, and the window would
  // wait for both.
  void deliverTurn();
  // Takes waiting lines into the record until none wait or spent (when
  // given) has reached untilMs.
  void takeIntoRecord(const QElapsedTimer* spent, qint64 untilMs);
  // Shows lines of the record the document lacks, oldest first, until none
  // are left or spent (when given) has reached untilMs; returns how many.
  qsizetype showUnshown(const QElapsedTimer* spent, qint64 untilMs);
  // The record's newest lines that the document does not show yet.
  qsizetype unshownLines() const { return record_.totalLines() - droppedLines_ - shownLines_; }
  // The document shows the notice alone, for lines before firstLine.
  void startOverAt(qsizetype firstLine);
  void dropOldBlocks();
  void showDroppedNotice();
  // Where the widgets under the log show one flat colour there, the log
  // paints its background in it, and a scroll bar that paints every pixel of
  // its own is marked so: a new line then scrolls what the log shows and
  // repaints the log alone, not every widget under it. Looks the same.
  void takeBackgroundFromBelow();
  void scrollToEnd();
  const SymbolFallback& symbols();

  StatusLog record_;
  LogQueue queue_;
  // The document shows the record's lines from droppedLines_ on, shownLines_
  // of them, under the dropped-lines line when there is one.
  qsizetype shownLines_ = 0;
  qsizetype droppedLines_ = 0;
  bool noticeShown_ = false;
  // Starts the next turn.
  QTimer nextTurn_;
  // Set while takeBackgroundFromBelow changes the palette.
  bool takingBackground_ = false;
  // For the font shown; found when first needed, after the font is set.
  std::optional<SymbolFallback> symbols_;
};

}  // namespace tessaro
