// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QApplication>

#include "ui/WindowGroup.h"

namespace tessaro {

// The application: a window group of ContentViews, drawn dark whatever the
// desktop's setting.
class QuillonApp {
 public:
  QuillonApp(int& argc, char** argv);

  // Opens the first window and runs until the last one closes.
  int exec();

 private:
  QApplication app_;
  WindowGroup windows_;
};

}  // namespace tessaro
