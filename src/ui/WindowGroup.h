// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "drives/DiskManager.h"
#include "drives/DriveEvents.h"

namespace tessaro {

class ContentView;

// The application's one kind of window. Every window shows a new
// ContentView with its own DiskManager and state; New Window (Ctrl+N, Cmd+N on
// macOS) in any of them opens another, Close (Ctrl+W) closes it, Quit (Ctrl+Q)
// closes them all, each asking first while its format runs, and F1 shows the
// About box. Windows delete themselves when closed.
class WindowGroup : public QObject {
  Q_OBJECT
 public:
  using DiskManagerFactory = std::function<std::unique_ptr<DiskManager>()>;
  using DriveEventsFactory = std::function<std::unique_ptr<DriveEvents>()>;
  // Without a factory each window gets the platform's DiskManager. Each window
  // refreshes its drive list on the device events its own source reports.
  explicit WindowGroup(DiskManagerFactory makeDiskManager = {},
                       DriveEventsFactory makeDriveEvents = &DriveEvents::platformDefault,
                       QObject* parent = nullptr);

  // Opens a window; with diskManager, on that one (the first window's, which
  // began reading its list at start-up).
  ContentView* openWindow(std::unique_ptr<DiskManager> diskManager = nullptr);
  // Closes every window; stops at the first that stays open (its format runs
  // on and the user chose to keep it).
  static bool closeAllWindows();

 signals:
  void windowOpened(ContentView* window);

 private:
  DiskManagerFactory makeDiskManager_;
  DriveEventsFactory makeDriveEvents_;
};

}  // namespace tessaro
