#include "ui/LogView.h"

#include <QScrollBar>
#include <QTextCursor>

namespace tessaro {

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
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
}

void LogView::replaceText(const QString& text) {
  pending_.clear();
  setPlainText(text);
  scrollToEnd();
}

void LogView::appendText(const QString& piece) {
  pending_ += piece;
  if (flushQueued_) return;
  flushQueued_ = true;
  QMetaObject::invokeMethod(this, &LogView::flush, Qt::QueuedConnection);
}

void LogView::flush() {
  flushQueued_ = false;
  if (pending_.isEmpty()) return;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(pending_);
  pending_.clear();
  scrollToEnd();
}

void LogView::scrollToEnd() {
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->maximum());
}

}  // namespace tessaro
