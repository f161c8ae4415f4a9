#include "app/QuillonApp.h"

#include <QKeySequence>
#include <QShortcut>

#include "app/WindowChrome.h"
#include "ui/ContentView.h"
#include "ui/Theme.h"

namespace tessaro {

QuillonApp::QuillonApp(int& argc, char** argv) : app_(argc, argv) {
  QApplication::setApplicationName(QStringLiteral("Tessaro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tessaro"));
  QApplication::setDesktopFileName(QStringLiteral("tessaro"));
  theme::applyDarkAppearance(app_);
}

ContentView* QuillonApp::openWindow() {
  auto* window = new ContentView;
  window->setAttribute(Qt::WA_DeleteOnClose);
  auto* newWindow = new QShortcut(QKeySequence::New, window);
  newWindow->setContext(Qt::WindowShortcut);
  QObject::connect(newWindow, &QShortcut::activated, window, [this] { openWindow(); });
  hideTitleBar(window);
  window->show();
  return window;
}

int QuillonApp::exec() {
  openWindow();
  return QApplication::exec();
}

}  // namespace tessaro
