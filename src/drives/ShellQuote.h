// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// One single-quoted shell word: every "'" becomes "'\''" (close, escaped
// quote, reopen), so the shell passes text through unchanged.
inline std::string shellQuote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + '\'';
}

// A command as one line for people to read: each word as it is when a shell
// would take it so, else single-quoted.
// (Plain: one or more of [A-Za-z0-9_./:=,+@%-], tested by hand, as the root
// helper shows every command it runs and compiling a regular expression
// costs it more than the test.)
inline std::string displayCommand(const std::vector<std::string>& command) {
  const auto plain = [](std::string_view word) {
    if (word.empty()) return false;
    for (const char c : word) {
      const bool letterOrDigit =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
      if (!letterOrDigit && std::string_view("_./:=,+@%-").find(c) == std::string_view::npos)
        return false;
    }
    return true;
  };
  std::string line;
  for (const std::string& word : command) {
    if (!line.empty()) line += ' ';
    line += plain(word) ? word : shellQuote(word);
  }
  return line;
}

}  // namespace tessaro
