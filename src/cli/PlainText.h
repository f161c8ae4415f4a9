// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// One of Tessaro's own lines without its own symbols, for output that is no
// UTF-8 terminal (a pipe, a file, the C locale): a check mark, cross mark or
// information sign goes (with its blank where it leads the line), a warning
// sign becomes the word, the dash that marks a missing value becomes "-".
// Everything else stays as it is: letters of any script, and emoji and other
// symbols that came from a drive or a tool.
class PlainText {
 public:
  static QString of(const QString& line);
};

}  // namespace tessaro
