// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QApplication>
#include <memory>

#include "drives/DiskManager.h"
#include "ui/WindowGroup.h"

namespace tessaro {

// The application: a window group of ContentViews, drawn dark whatever the
// desktop's setting.
class QuillonApp {
 public:
  // firstDrives: the first window's drive list, begun before the
  // application (DiskManager::beginRefresh).
  QuillonApp(int& argc, char** argv, std::unique_ptr<DiskManager> firstDrives = nullptr);

  // Opens the first window and runs until the last one closes.
  int exec();

 private:
  QApplication app_;
  WindowGroup windows_;
  std::unique_ptr<DiskManager> firstDrives_;
};

}  // namespace tessaro
