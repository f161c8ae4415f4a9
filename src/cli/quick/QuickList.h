// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tessaro {

// The one answer tessaro-cli gives without loading Qt: `list --json`, with or
// without --all (and -n/--noheadings, which a document has no use for),
// where every message stays English and the kernel and udev tell every
// device whole. It is the full command line's own list, written by the same
// code; anything else (another command, another language, a required tool
// missing, a device only lsblk can tell) is the full command line's.
class QuickList {
 public:
  using Environment = std::function<const char*(const char* name)>;

  // Whether arguments (without the program's name) ask for the list as JSON
  // and nothing else; then whether --all was given.
  struct Asked {
    bool all = false;
  };
  static std::optional<Asked> asked(int count, const char* const* arguments);

  // Whether the user's messages would be in English: every language the
  // environment names (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) is English, C or
  // POSIX, or none is named.
  static bool speaksEnglish(const Environment& environment);

  // The document, or none where the full command line must answer.
  static std::optional<std::string> document(Asked asked);
};

}  // namespace tessaro
