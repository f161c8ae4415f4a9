// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <deque>

#include "ui/StatusLog.h"
#include "ui/SymbolFallback.h"

namespace tessaro {

// The read-only status log. Appends are queued and shown a bounded amount
// per turn of the event loop, so that a flood of output never keeps the
// window from answering; the document keeps at most lineLimit lines and, in
// place of older ones, one line that says how many it let go. Emoji that no
// installed font can draw are shown as monochrome symbols.
class LogView : public QPlainTextEdit {
  Q_OBJECT
 public:
  // At most this much is added to the document in one turn of the event
  // loop, and no more once the turn has taken this long.
  static constexpr qsizetype linesPerTurn = 2000;
  static constexpr qsizetype charactersPerTurn = 200'000;
  static constexpr qint64 millisecondsPerTurn = 8;

  explicit LogView(QWidget* parent = nullptr, qsizetype lineLimit = StatusLog::defaultLineLimit);

  // Shows text instead of everything shown so far, from its first line.
  void replaceText(const QString& text);
  // Adds lines at the end and scrolls to them.
  void appendLines(const QStringList& lines);
  // Shows every pending line now (tests, and before the log is read out).
  void flush();
  bool hasPending() const { return !pending_.empty(); }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void scheduleFlush();
  // Adds one turn's worth of pending lines; false when none are left.
  bool flushTurn();
  void dropOldBlocks();
  void showDroppedNotice();
  void scrollToEnd();

  qsizetype lineLimit_;
  std::deque<QString> pending_;
  // Lines in the document, without the dropped-lines line.
  qsizetype shownLines_ = 0;
  qsizetype droppedLines_ = 0;
  bool noticeShown_ = false;
  bool flushQueued_ = false;
  SymbolFallback symbols_;
};

}  // namespace tessaro
