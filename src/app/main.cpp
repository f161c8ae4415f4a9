// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/DesktopCommandLine.h"
#include "app/QuillonApp.h"

int main(int argc, char** argv) {
  // --help and --version are answered without a window or a display.
  if (const auto status = tessaro::DesktopCommandLine::answer(argc, argv)) return *status;
  tessaro::QuillonApp app(argc, argv);
  return app.exec();
}
