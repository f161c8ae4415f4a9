// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Marks an English text of the shared model that the window and tessaro-cli
// show in the user's language: lupdate reads it as QT_TRANSLATE_NOOP (see
// src/CMakeLists.txt), and the text itself is what the code gets.
#define TESSARO_TRANSLATABLE(context, text) text

namespace tessaro {

// How the shared model words what it tells: in English, with English digit
// grouping, for the root helper's lines (english()); in the user's language
// where the window or tessaro-cli pass their own (TranslatedWording).
class Wording {
 public:
  virtual ~Wording() = default;

  // text, marked with TESSARO_TRANSLATABLE in context, in the reader's words.
  virtual std::string translated(const char* context, const char* text) const;
  // A count with the reader's digit grouping: "65,525".
  virtual std::string grouped(std::int64_t number) const;

  static const Wording& english();
};

// pattern with %1 to %9 replaced by the arguments, in one pass: a "%2" inside
// an argument stays as it is.
std::string withArguments(std::string_view pattern,
                          std::initializer_list<std::string_view> arguments);

}  // namespace tessaro
