// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/quick/QuickCommandLine.h"

#include <string_view>

namespace tessaro {

namespace {

// en, en_GB.UTF-8, en@quot, C, C.UTF-8, POSIX.
bool isEnglish(std::string_view language) {
  const std::string_view name = language.substr(0, language.find_first_of("_.@"));
  return name == "en" || name == "C" || name == "POSIX";
}

}  // namespace

std::optional<QuickCommandLine::Asked> QuickCommandLine::asked(int count, const char* const* arguments) {
  Asked asked;
  bool list = false, json = false, headings = false;
  for (int i = 0; i < count; ++i) {
    const std::string_view argument = arguments[i];
    bool* seen = argument == "list"                                ? &list
                 : argument == "--json"                            ? &json
                 : argument == "--all"                             ? &asked.all
                 : argument == "-n" || argument == "--noheadings" ? &headings
                                                                   : nullptr;
    // Anything else, or a word twice, is the full command line's to answer.
    if (!seen || *seen) return std::nullopt;
    *seen = true;
  }
  if (!list || !json) return std::nullopt;
  return asked;
}

bool QuickCommandLine::speaksEnglish(Environment environment) {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = environment(variable);
    if (!value) continue;
    // LANGUAGE lists languages to try in turn; a later one may be found.
    for (std::string_view rest = value; !rest.empty();) {
      const std::size_t end = rest.find(':');
      const std::string_view language = rest.substr(0, end);
      if (!language.empty() && !isEnglish(language)) return false;
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
  }
  return true;
}

}  // namespace tessaro
