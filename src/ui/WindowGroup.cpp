// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/WindowGroup.h"

#include <QApplication>
#include <QKeySequence>
#include <QShortcut>

#include "ui/ContentView.h"
#include "ui/HotplugRefresh.h"

namespace tessaro {

WindowGroup::WindowGroup(DiskManagerFactory makeDiskManager, DriveEventsFactory makeDriveEvents,
                         QObject* parent)
    : QObject(parent),
      makeDiskManager_(std::move(makeDiskManager)),
      makeDriveEvents_(std::move(makeDriveEvents)) {}

ContentView* WindowGroup::openWindow(std::unique_ptr<DiskManager> diskManager) {
  if (!diskManager && makeDiskManager_) diskManager = makeDiskManager_();
  auto* window = new ContentView(std::move(diskManager));
  window->setAttribute(Qt::WA_DeleteOnClose);
  // Without a title of its own X11 gets the application name only in
  // _NET_WM_NAME; an explicit title goes into WM_NAME as well.
  window->setWindowTitle(QStringLiteral("Tessaro"));
  if (makeDriveEvents_) new HotplugRefresh(*window, makeDriveEvents_());
  auto* newWindow = new QShortcut(QKeySequence::New, window);
  newWindow->setContext(Qt::WindowShortcut);
  connect(newWindow, &QShortcut::activated, this, [this] { openWindow(); });
  auto* close = new QShortcut(QKeySequence::Close, window);
  close->setContext(Qt::WindowShortcut);
  connect(close, &QShortcut::activated, window, &QWidget::close);
  // Desktops without a key theme (a bare X session, Xfce) bind nothing to Quit.
  QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
  if (quitKeys.isEmpty()) quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
  auto* quit = new QShortcut(window);
  quit->setKeys(quitKeys);
  quit->setContext(Qt::WindowShortcut);
  connect(quit, &QShortcut::activated, this, &WindowGroup::closeAllWindows);
  auto* about = new QShortcut(QKeySequence::HelpContents, window);
  about->setContext(Qt::WindowShortcut);
  connect(about, &QShortcut::activated, window, &ContentView::showAbout);
  emit windowOpened(window);
  window->show();
  return window;
}

bool WindowGroup::closeAllWindows() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<ContentView*>(widget);
    if (window && window->isVisible() && !window->close()) return false;
  }
  return true;
}

}  // namespace tessaro
