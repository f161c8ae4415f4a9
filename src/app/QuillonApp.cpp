// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/QuillonApp.h"

#include <QIcon>

#include "app/AfterFirstFrame.h"
#include "app/BackingStoreWarmUp.h"
#include "app/WindowChrome.h"
#include "i18n/Translations.h"
#include "ui/ContentView.h"
#include "ui/Theme.h"

namespace tessaro {

QuillonApp::QuillonApp(int& argc, char** argv, std::unique_ptr<DiskManager> firstDrives)
    : app_(argc, argv), firstDrives_(std::move(firstDrives)) {
  QApplication::setApplicationName(QStringLiteral("Tessaro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tessaro"));
  Translations::install(app_);
  QApplication::setDesktopFileName(QStringLiteral("org.tessaro.Tessaro"));
  theme::applyDarkAppearance(app_);
  QObject::connect(&windows_, &WindowGroup::windowOpened, &windows_,
                   [](ContentView* window) {
                     hideTitleBar(window);
                     new BackingStoreWarmUp(*window);
                   });
}

int QuillonApp::exec() {
  ContentView* first = windows_.openWindow(std::move(firstDrives_));
  // Searching the icon themes takes longer than the first frame needs to wait.
  new AfterFirstFrame(*first, [] {
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tessaro.Tessaro")));
  });
  return QApplication::exec();
}

}  // namespace tessaro
