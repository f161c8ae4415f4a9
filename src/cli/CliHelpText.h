// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// What `tessaro-cli --help` prints: the commands, DEVICE, the options and the
// exit statuses.
class CliHelpText {
 public:
  static QString text();
  static QString version();
};

}  // namespace tessaro
