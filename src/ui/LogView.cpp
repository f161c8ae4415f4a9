// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogView.h"

#include <QElapsedTimer>
#include <QImage>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <optional>

#include "exec/VisibleText.h"

namespace tessaro {

namespace {
// Lines go into the document in pieces of at most this much.
constexpr qsizetype pieceLines = 100;
constexpr qsizetype pieceCharacters = 20'000;
// And into the record in pieces of at most this much.
constexpr qsizetype recordPieceLines = 1000;
constexpr qsizetype recordPieceCharacters = 100'000;
}  // namespace

LogView::LogView(QWidget* parent, qsizetype lineLimit)
    : QPlainTextEdit(parent), record_(lineLimit) {
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
  nextTurn_.setSingleShot(true);
  nextTurn_.setInterval(0);
  connect(&nextTurn_, &QTimer::timeout, this, &LogView::deliverTurn);
}

const SymbolFallback& LogView::symbols() {
  if (!symbols_) symbols_ = SymbolFallback::forFont(font());
  return *symbols_;
}

void LogView::showEvent(QShowEvent* event) {
  QPlainTextEdit::showEvent(event);
  takeBackgroundFromBelow();
}

void LogView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) symbols_.reset();
  if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) &&
      isVisible() && !takingBackground_)
    takeBackgroundFromBelow();
}

namespace {

// The colour the widgets under below's top paint at point (in the window's
// coordinates), each without its children.
QColor colourUnder(const QList<QWidget*>& below, const QPoint& point) {
  QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
  pixel.fill(Qt::transparent);
  for (QWidget* widget : below) {
    const QPoint at = widget->mapFrom(widget->window(), point);
    widget->render(&pixel, QPoint(), QRegion(at.x(), at.y(), 1, 1),
                   widget->isWindow() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
  }
  return pixel.pixelColor(0, 0);
}

bool paintsEveryPixel(QWidget* widget) {
  if (widget->size().isEmpty()) return false;
  QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(line[x]) != 255) return false;
  }
  return true;
}

}  // namespace

void LogView::takeBackgroundFromBelow() {
  // The widgets under the log, the window first.
  QList<QWidget*> below;
  for (QWidget* widget = parentWidget(); widget; widget = widget->parentWidget()) {
    below.prepend(widget);
    if (widget->isWindow()) break;
  }
  const QRect area(viewport()->mapTo(window(), QPoint()), viewport()->size());
  std::optional<QColor> flat;
  if (!below.isEmpty() && below.first()->isWindow() && !area.isEmpty()) {
    flat = colourUnder(below, area.center());
    for (const QPoint& corner :
         {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
      if (colourUnder(below, corner) != *flat) flat.reset();
      if (!flat) break;
    }
    if (flat && flat->alpha() != 255) flat.reset();
  }
  const QScopedValueRollback<bool> taking(takingBackground_, true);
  QPalette p = palette();
  p.setColor(QPalette::Base, flat.value_or(Qt::transparent));
  setPalette(p);
  viewport()->setAutoFillBackground(flat.has_value());
  verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent, paintsEveryPixel(verticalScrollBar()));
}

void LogView::replaceText(const QString& text) {
  record_.replace(text);
  // The document starts as the record does: the kept lines under the notice.
  droppedLines_ = record_.droppedLines();
  noticeShown_ = droppedLines_ > 0;
  shownLines_ = record_.totalLines() - droppedLines_;
  QStringList lines = record_.text().split(QLatin1Char('\n'));
  // Controls from a drive or a tool are shown, not obeyed or hidden.
  for (QString& line : lines) line = QString::fromStdString(visibleText(line.toStdString()));
  setPlainText(symbols().apply(lines.join(QLatin1Char('\n'))));
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
  // Into the record first: it costs little per line, and a reading thread
  // that waits for room goes on.
  takeIntoRecord(&spent, recordMillisecondsPerTurn);
  // Only new lines are followed: a text just replaced stays at its top.
  if (showUnshown(&spent, millisecondsPerTurn) > 0) scrollToEnd();
  emit logChanged();
  // The rest comes in a later turn, after the events waiting now (input
  // among them), from a timer: a turn posted as an event ran twice between
  // two firings of the window's other timers, which fire again only once
  // the posted events are done. The queue's delivery stays arranged
  // meanwhile, so that a line pushed now arranges no second turn.
  if (unshownLines() > 0 || queue_.endDelivery()) nextTurn_.start();
}

void LogView::takeIntoRecord(const QElapsedTimer* spent, qint64 untilMs) {
  for (;;) {
    const LogQueue::Piece piece = queue_.take(recordPieceLines, recordPieceCharacters);
    if (!piece.lines.isEmpty()) record_.append(piece.lines);
    if (!piece.more || (spent && spent->elapsed() >= untilMs)) return;
  }
}

qsizetype LogView::showUnshown(const QElapsedTimer* spent, qint64 untilMs) {
  // Lines the record no longer keeps would be let go as soon as they were
  // shown, and so would everything the document shows now.
  if (droppedLines_ + shownLines_ < record_.droppedLines()) startOverAt(record_.droppedLines());
  qsizetype lines = 0;
  while (unshownLines() > 0 && (!spent || spent->elapsed() < untilMs)) {
    qsizetype next = droppedLines_ + shownLines_;
    const qsizetype end = std::min(record_.totalLines(), next + pieceLines);
    QString text;
    for (; next < end && (next == droppedLines_ + shownLines_ || text.size() < pieceCharacters);
         ++next) {
      // A line feed ends what the document shows, the notice included.
      if (noticeShown_ || next > droppedLines_) text += QLatin1Char('\n');
      // Controls from a drive or a tool are shown, not obeyed or hidden.
      text += QString::fromStdString(visibleText(record_.line(next).toStdString()));
    }
    QTextCursor at(document());
    at.movePosition(QTextCursor::End);
    at.insertText(symbols().apply(text));
    const qsizetype count = next - droppedLines_ - shownLines_;
    shownLines_ += count;
    lines += count;
    dropOldBlocks();
  }
  return lines;
}

void LogView::startOverAt(qsizetype firstLine) {
  droppedLines_ = firstLine;
  shownLines_ = 0;
  noticeShown_ = true;
  setPlainText(StatusLog::droppedNotice(droppedLines_));
}

void LogView::recordWaiting() { takeIntoRecord(nullptr, 0); }

void LogView::flush() {
  if (!hasPending()) return;
  takeIntoRecord(nullptr, 0);
  showUnshown(nullptr, 0);
  scrollToEnd();
  emit logChanged();
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
