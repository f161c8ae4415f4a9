// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

namespace tessaro {

// The few options of the window application that print and end without a
// window: --help and --version. Qt's own options (-platform, -style, ...) are
// left to Qt; anything else is refused with a line that says so and the
// usage status, before a display is opened. Needs no display.
class DesktopCommandLine {
  Q_DECLARE_TR_FUNCTIONS(DesktopCommandLine)

 public:
  // The exit status of a command line that is unreadable, as tessaro-cli's.
  static constexpr int usageStatus = 2;

  // The exit status when an option was answered or the line refused; none
  // to open the window.
  static std::optional<int> answer(int argc, char** argv);

  static QString helpText();
  static QString versionText();
};

}  // namespace tessaro
