// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogView.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

#include "exec/VisibleText.h"

namespace tessaro {

namespace {
// Lines go into the document in pieces of at most this much.
constexpr qsizetype pieceLines = 100;
constexpr qsizetype pieceCharacters = 20'000;
}  // namespace

LogView::LogView(QWidget* parent, qsizetype lineLimit)
    : QPlainTextEdit(parent), record_(lineLimit), queue_(record_.lineLimit()) {
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
  record_.replace(text);
  // The document starts as the record does: the kept lines under the notice.
  droppedLines_ = record_.droppedLines();
  noticeShown_ = droppedLines_ > 0;
  shownLines_ = record_.totalLines() - droppedLines_;
  QStringList lines = record_.text().split(QLatin1Char('\n'));
  // Controls from a drive or a tool are shown, not obeyed or hidden.
  for (QString& line : lines) line = visibleText(line);
  setPlainText(symbols_.apply(lines.join(QLatin1Char('\n'))));
  // A new text is read from its first line; lines added later are followed.
  moveCursor(QTextCursor::Start);
  verticalScrollBar()->setValue(0);
  emit logChanged();
}

void LogView::appendLines(const QStringList& lines) {
  // A flood from a reading thread waits for the window instead of piling up;
  // the window's own thread never waits for itself.
  const bool mayWait = QThread::currentThread() != thread();
  // Always queued, also from the main thread, so a line never shows up before
  // the caller's current step has finished.
  if (queue_.push(lines, mayWait))
    QMetaObject::invokeMethod(this, &LogView::deliverTurn, Qt::QueuedConnection);
}

void LogView::deliverTurn() {
  QElapsedTimer spent;
  spent.start();
  qsizetype lines = 0;
  qsizetype characters = 0;
  bool more = true;
  while (more && lines < linesPerTurn && characters < charactersPerTurn &&
         spent.elapsed() < millisecondsPerTurn) {
    const LogQueue::Piece piece = queue_.take(pieceLines, pieceCharacters);
    more = piece.more;
    show(piece);
    lines += piece.lines.size();
    for (const QString& line : piece.lines) characters += line.size() + 1;
  }
  // Only new lines are followed: a text just replaced stays at its top.
  if (lines > 0) scrollToEnd();
  emit logChanged();
  // The rest comes in a later turn, after the events waiting now (input
  // among them).
  if (more) QTimer::singleShot(0, this, &LogView::deliverTurn);
}

void LogView::flush() {
  bool more = !queue_.isEmpty();
  if (!more) return;
  while (more) {
    const LogQueue::Piece piece = queue_.take(pieceLines, pieceCharacters);
    more = piece.more;
    show(piece);
  }
  scrollToEnd();
  emit logChanged();
}

void LogView::show(const LogQueue::Piece& piece) {
  // Lines that would be dropped as soon as they were shown are only kept.
  if (!piece.unshown.isEmpty()) {
    record_.append(piece.unshown);
    droppedLines_ += piece.unshown.size();
  }
  if (!piece.lines.isEmpty()) {
    record_.append(piece.lines);
    QString text;
    for (const QString& line : piece.lines) {
      text += QLatin1Char('\n');
      text += visibleText(line);
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(symbols_.apply(text));
    shownLines_ += piece.lines.size();
  }
  dropOldBlocks();
}

void LogView::dropOldBlocks() {
  // Lines go in steps of a hundredth of the limit: few enough for one turn
  // of the event loop, many enough that removing them costs little per line.
  const qsizetype lineLimit = record_.lineLimit();
  const qsizetype excess = shownLines_ - lineLimit;
  if (excess >= std::max<qsizetype>(lineLimit / 100, 1)) {
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
