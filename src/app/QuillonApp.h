#pragma once

#include <QApplication>

namespace tessaro {

class ContentView;

// The application: one kind of window, each showing a ContentView with state
// of its own, drawn dark whatever the desktop's setting. New Window (Ctrl+N,
// Cmd+N on macOS) opens another one.
class QuillonApp {
 public:
  QuillonApp(int& argc, char** argv);

  // Opens a window of the application's one kind.
  ContentView* openWindow();
  // Runs the event loop until the last window closes.
  int exec();

 private:
  QApplication app_;
};

}  // namespace tessaro
