#pragma once

#include <QPlainTextEdit>

namespace tessaro {

// The read-only status log. Appending adds blocks at the end of the document
// and never lays out the whole text again, so an append costs the same at any
// length. Appends made in one turn of the event loop reach the screen together.
class LogView : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit LogView(QWidget* parent = nullptr);

  // Shows text instead of everything shown so far.
  void replaceText(const QString& text);
  // Adds piece at the very end, as it is (the caller supplies line feeds).
  void appendText(const QString& piece);
  // Shows pending appends now instead of at the end of the event-loop turn.
  void flush();

 private:
  void scrollToEnd();

  QString pending_;
  bool flushQueued_ = false;
};

}  // namespace tessaro
