// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

namespace tessaro {

// Which command lines tessaro-cli answers without loading Qt: `list --json`,
// with or without --all (and -n/--noheadings, which a document has no use
// for), where every message would be English. Anything else (another
// command, another language) is the full command line's.
class QuickCommandLine {
 public:
  using Environment = char* (*)(const char* name);

  // Whether arguments (without the program's name) ask for the list as JSON
  // and nothing else; then whether --all was given.
  struct Asked {
    bool all = false;
  };
  static std::optional<Asked> asked(int count, const char* const* arguments);

  // Whether the user's messages would be in English: every language the
  // environment names (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) is English, C or
  // POSIX, or none is named.
  static bool speaksEnglish(Environment environment);
};

}  // namespace tessaro
