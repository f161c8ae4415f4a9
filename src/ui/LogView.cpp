// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogView.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "exec/VisibleText.h"

namespace tessaro {

LogView::LogView(QWidget* parent, qsizetype lineLimit)
    : QPlainTextEdit(parent), lineLimit_(std::max<qsizetype>(lineLimit, 1)) {
  setReadOnly(true);
  // An undo history would keep every appended line a second time.
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  document()->setDocumentMargin(0);
  QPalette p = palette();
  p.setColor(QPalette::Base, Qt::transparent);
  setPalette(p);
  viewport()->setAutoFillBackground(false);
  setTabChangesFocus(true);
  symbols_ = SymbolFallback::forFont(font());
}

void LogView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) symbols_ = SymbolFallback::forFont(font());
}

void LogView::replaceText(const QString& text) {
  pending_.clear();
  droppedLines_ = 0;
  noticeShown_ = false;
  shownLines_ = 0;
  const QStringList lines = text.split(QLatin1Char('\n'));
  setPlainText(symbols_.apply(visibleText(lines.first())));
  shownLines_ = 1;
  appendLines(lines.mid(1));
  flush();
  // A new text is read from its first line; lines added later are followed.
  moveCursor(QTextCursor::Start);
  verticalScrollBar()->setValue(0);
}

void LogView::appendLines(const QStringList& lines) {
  // Controls from a drive or a tool are shown, not obeyed or hidden.
  for (const QString& line : lines) pending_.push_back(visibleText(line));
  // Lines that would be dropped as soon as they were shown are dropped now.
  while (qsizetype(pending_.size()) > lineLimit_) {
    pending_.pop_front();
    ++droppedLines_;
  }
  scheduleFlush();
}

void LogView::scheduleFlush() {
  if (flushQueued_ || pending_.empty()) return;
  flushQueued_ = true;
  // A zero timer runs after the events already waiting, input among them.
  QTimer::singleShot(0, this, [this] {
    flushQueued_ = false;
    if (flushTurn()) scheduleFlush();
  });
}

void LogView::flush() {
  while (flushTurn()) {
  }
}

bool LogView::flushTurn() {
  QElapsedTimer spent;
  spent.start();
  qsizetype lines = 0;
  qsizetype characters = 0;
  // Small pieces until the turn's time or amount is used up.
  while (!pending_.empty() && lines < linesPerTurn && characters < charactersPerTurn &&
         spent.elapsed() < millisecondsPerTurn) {
    QString piece;
    qsizetype pieceLines = 0;
    while (!pending_.empty() && pieceLines < 100 &&
           (pieceLines == 0 || piece.size() + pending_.front().size() < 20'000)) {
      piece += QLatin1Char('\n');
      piece += pending_.front();
      pending_.pop_front();
      ++pieceLines;
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(symbols_.apply(piece));
    shownLines_ += pieceLines;
    lines += pieceLines;
    characters += piece.size();
    dropOldBlocks();
  }
  // Only new lines are followed: a text just replaced stays at its top.
  if (lines > 0) scrollToEnd();
  return !pending_.empty();
}

void LogView::dropOldBlocks() {
  // Lines go in steps of a hundredth of the limit: few enough for one turn
  // of the event loop, many enough that removing them costs little per line.
  const qsizetype excess = shownLines_ - lineLimit_;
  if (excess >= std::max<qsizetype>(lineLimit_ / 100, 1)) {
    const int first = noticeShown_ ? 1 : 0;
    QTextCursor cut(document()->findBlockByNumber(first));
    cut.setPosition(document()->findBlockByNumber(first + int(excess)).position(),
                    QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    shownLines_ -= excess;
    droppedLines_ += excess;
  }
  if (droppedLines_ > 0) showDroppedNotice();
}

void LogView::showDroppedNotice() {
  const QString notice = StatusLog::droppedNotice(droppedLines_);
  QTextCursor top(document());
  if (noticeShown_) {
    top.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    if (top.selectedText() == notice) return;
    top.insertText(notice);
  } else {
    top.insertText(notice + QLatin1Char('\n'));
    noticeShown_ = true;
  }
}

void LogView::scrollToEnd() {
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->maximum());
}

}  // namespace tessaro
