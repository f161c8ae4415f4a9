// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

namespace tessaro {

// The few options of the window application that print and end without a
// window: --help and --version. Every other argument is left to Qt (-platform,
// -style, ...). Needs no display.
class DesktopCommandLine {
  Q_DECLARE_TR_FUNCTIONS(DesktopCommandLine)

 public:
  // The exit status when an option was answered; none to open the window.
  static std::optional<int> answer(int argc, char** argv);

  static QString helpText();
  static QString versionText();
};

}  // namespace tessaro
