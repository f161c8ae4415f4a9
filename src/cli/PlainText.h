// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// A line of the log without its emoji and symbols, for output that is no
// UTF-8 terminal (a pipe, a file, the C locale): a symbol that leads a line
// goes with its blank, a warning sign becomes the word, a dash that marks a
// missing value becomes "-". Letters of any script are left as they are.
class PlainText {
 public:
  static QString of(const QString& line);
};

}  // namespace tessaro
