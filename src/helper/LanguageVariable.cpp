// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LanguageVariable.h"

namespace tessaro::helper {

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Takes from text, at *at, one to max characters that pass; whether it did.
template <typename Pass>
bool takeRun(std::string_view text, std::size_t* at, std::size_t max, Pass pass) {
  std::size_t end = *at;
  while (end < text.size() && end - *at < max && pass(text[end])) ++end;
  if (end == *at || (end < text.size() && end - *at == max && pass(text[end]))) return false;
  *at = end;
  return true;
}

// A locale name as glibc takes it ("de_DE.UTF-8", "sr_RS@latin", "C"), and
// no path: glibc loads a locale named with a slash from that path. The
// language, then optionally "_" and a territory, "." and a codeset, "@" and
// a modifier: [A-Za-z]{1,8}(_[A-Za-z0-9]{1,8})?(\.[A-Za-z0-9_-]{1,16})?
// (@[A-Za-z0-9_-]{1,16})?, read by hand (a regular expression's compilation
// costs more than the helper's whole guard).
bool isLocaleName(std::string_view value) {
  const auto alphanumeric = [](char c) { return isAsciiLetter(c) || isAsciiDigit(c); };
  const auto word = [&](char c) { return alphanumeric(c) || c == '_' || c == '-'; };
  std::size_t at = 0;
  if (!takeRun(value, &at, 8, isAsciiLetter)) return false;
  const auto part = [&](char lead, std::size_t max, auto pass) {
    if (at >= value.size() || value[at] != lead) return true;  // absent
    ++at;
    return takeRun(value, &at, max, pass);
  };
  return part('_', 8, alphanumeric) && part('.', 16, word) && part('@', 16, word) &&
         at == value.size();
}

}  // namespace

bool isLanguageVariable(std::string_view variable) {
  const std::size_t equals = variable.find('=');
  if (equals == std::string_view::npos) return false;
  // LANG, LANGUAGE or LC_ and one to sixteen capitals.
  const std::string_view name = variable.substr(0, equals);
  std::size_t at = 3;
  const bool category =
      name.starts_with("LC_") &&
      takeRun(name, &at, 16, [](char c) { return c >= 'A' && c <= 'Z'; }) && at == name.size();
  if (name != "LANG" && name != "LANGUAGE" && !category) return false;
  const std::string_view value = variable.substr(equals + 1);
  if (name == "LANGUAGE") {
    // Every part, the empty ones too (which no locale name is).
    std::size_t start = 0;
    for (;;) {
      const std::size_t colon = value.find(':', start);
      if (!isLocaleName(value.substr(start, colon == std::string_view::npos ? colon : colon - start)))
        return false;
      if (colon == std::string_view::npos) return true;
      start = colon + 1;
    }
  }
  return isLocaleName(value);
}

}  // namespace tessaro::helper
