// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include "ui/LogQueue.h"
#include "ui/StatusLog.h"
#include "ui/SymbolFallback.h"

namespace tessaro {

// The read-only status log and what it holds. Lines come from any thread
// through one queue and are shown a bounded amount per turn of the event
// loop, so that a flood of output never keeps the window from answering;
// the document keeps at most the log's line limit and, in place of older
// lines, one line that says how many it let go. Emoji that no installed font
// can draw are shown as monochrome symbols.
class LogView : public QPlainTextEdit {
  Q_OBJECT
 public:
  // At most this much is added in one turn of the event loop, and no more
  // once the turn has taken this long.
  static constexpr qsizetype linesPerTurn = 2000;
  static constexpr qsizetype charactersPerTurn = 200'000;
  static constexpr qint64 millisecondsPerTurn = 8;

  explicit LogView(QWidget* parent = nullptr, qsizetype lineLimit = StatusLog::defaultLineLimit);

  // Every line shown so far, also those the document let go (Save Log).
  const StatusLog& record() const { return record_; }

  // Shows text instead of everything shown so far, from its first line.
  // Lines still on their way come after it. Main thread only.
  void replaceText(const QString& text);
  // Adds lines at the end and scrolls to them; callable from any thread,
  // always queued, in call order. A thread other than the window's waits
  // while too much is waiting.
  void appendLines(const QStringList& lines);
  // Shows every waiting line now (before the log is read out, and tests).
  void flush();
  bool hasPending() const { return !queue_.isEmpty(); }

 signals:
  // The text changed: replaced, or lines were added.
  void logChanged();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // Adds one turn's worth of waiting lines, and arranges the next turn while
  // lines are left.
  void deliverTurn();
  void show(const LogQueue::Piece& piece);
  void dropOldBlocks();
  void showDroppedNotice();
  void scrollToEnd();

  StatusLog record_;
  LogQueue queue_;
  // Lines in the document, without the dropped-lines line.
  qsizetype shownLines_ = 0;
  qsizetype droppedLines_ = 0;
  bool noticeShown_ = false;
  SymbolFallback symbols_;
};

}  // namespace tessaro
