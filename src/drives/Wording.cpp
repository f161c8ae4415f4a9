// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/Wording.h"

namespace tessaro {

std::string Wording::translated(const char* /*context*/, const char* text) const { return text; }

std::string Wording::grouped(std::int64_t number) const {
  const bool negative = number < 0;
  // Digit by digit, so that the most negative count does not overflow.
  std::string digits;
  do {
    const int digit = int(number % 10);
    digits.insert(digits.begin(), char('0' + (digit < 0 ? -digit : digit)));
    number /= 10;
  } while (number != 0);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return negative ? '-' + text : text;
}

const Wording& Wording::english() {
  static const Wording wording;
  return wording;
}

std::string withArguments(std::string_view pattern,
                          std::initializer_list<std::string_view> arguments) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const auto index = std::size_t(pattern[i + 1] - '1');
      if (index < arguments.size()) {
        text += *(arguments.begin() + index);
        ++i;
        continue;
      }
    }
    text += pattern[i];
  }
  return text;
}

}  // namespace tessaro
