// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <cstdio>
#include <functional>

#include "drives/DiskTools.h"
#include "drives/Drive.h"

namespace tessaro {

enum class ConfirmationAnswer { Confirmed, Declined, NoTerminal };

// The command line's counterpart of the window's questions before an erase,
// in the same words (EraseQuestion): the user types the drive's name to
// erase it. Without a terminal to ask on there is nobody to answer, and the
// answer is no.
class TerminalConfirmation {
 public:
  // Before a format: the drive, what happens to it, the volume name, cluster
  // size and partition it gets, then what to type.
  static QString formatPrompt(const FormatRequest& request);
  // Before a capacity test: that it is one, and that it erases the drive.
  static QString probePrompt(const Drive& drive);
  // The typed line confirms when it is the kernel name or the device path,
  // blanks around it aside.
  static bool confirms(const QString& typedLine, const Drive& drive);

  // Asks prompt on `out` and reads one line from `in` when `in` is a terminal.
  static ConfirmationAnswer ask(const QString& prompt, const Drive& drive, FILE* in = stdin,
                                FILE* out = stderr);
  // The same, where accepts says whether the typed line confirms.
  static ConfirmationAnswer ask(const QString& prompt,
                                const std::function<bool(const QString&)>& accepts,
                                FILE* in = stdin, FILE* out = stderr);
};

}  // namespace tessaro
