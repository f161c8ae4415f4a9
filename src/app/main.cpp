// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/DesktopCommandLine.h"
#include "app/FontWarmUp.h"
#include "app/QuillonApp.h"

int main(int argc, char** argv) {
  // --help and --version are answered without a window or a display.
  if (const auto status = tessaro::DesktopCommandLine::answer(argc, argv)) return *status;
  // The fonts' configuration and the drive list are read while Qt starts
  // and the window is built.
  tessaro::warmUpFonts();
  auto drives = std::make_unique<tessaro::DiskManager>();
  drives->beginRefresh();
  tessaro::QuillonApp app(argc, argv, std::move(drives));
  return app.exec();
}
