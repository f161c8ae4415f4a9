// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <cstdio>

#include "drives/Drive.h"

namespace tessaro {

enum class ConfirmationAnswer { Confirmed, Declined, NoTerminal };

// The command line's counterpart of the window's "Erase drive?" question: the
// user types the drive's name to erase it. Without a terminal to ask on there
// is nobody to answer, and the answer is no.
class TerminalConfirmation {
 public:
  static QString prompt(const Drive& drive);
  // The typed line confirms when it is the kernel name or the device path,
  // blanks around it aside.
  static bool confirms(const QString& typedLine, const Drive& drive);

  // Asks on `out` and reads one line from `in` when `in` is a terminal.
  static ConfirmationAnswer ask(const Drive& drive, FILE* in = stdin, FILE* out = stderr);
};

}  // namespace tessaro
