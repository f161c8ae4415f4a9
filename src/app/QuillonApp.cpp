#include "app/QuillonApp.h"

#include "app/WindowChrome.h"
#include "ui/ContentView.h"
#include "ui/Theme.h"

namespace tessaro {

QuillonApp::QuillonApp(int& argc, char** argv) : app_(argc, argv) {
  QApplication::setApplicationName(QStringLiteral("Tessaro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tessaro"));
  QApplication::setDesktopFileName(QStringLiteral("tessaro"));
  theme::applyDarkAppearance(app_);
  QObject::connect(&windows_, &WindowGroup::windowOpened, &windows_,
                   [](ContentView* window) { hideTitleBar(window); });
}

int QuillonApp::exec() {
  windows_.openWindow();
  return QApplication::exec();
}

}  // namespace tessaro
