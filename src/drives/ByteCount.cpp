// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ByteCount.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tessaro {

namespace {

constexpr std::int64_t kMaxCount = std::numeric_limits<std::int64_t>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The run of digits at the start of text (at most maxDigits of them, else
// none), and text after it.
std::optional<std::string_view> digitsAt(std::string_view& text, std::size_t maxDigits) {
  std::size_t count = 0;
  while (count < text.size() && isDigit(text[count])) ++count;
  if (count == 0 || count > maxDigits) return std::nullopt;
  const std::string_view digits = text.substr(0, count);
  text.remove_prefix(count);
  return digits;
}

// A run of at most 19 digits; none beyond 2^63 - 1.
std::optional<std::int64_t> numberOf(std::string_view digits) {
  std::int64_t value = 0;
  for (const char c : digits) {
    if (value > (kMaxCount - (c - '0')) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

// The rule, after the file style of the platform formatters: below 1000 the
// count is given in bytes ("B", the same in every language); above, it is divided by 1000 until it
// is below 1000 and shown in that unit with at most 0 (KB), 1 (MB) or 2 (GB and up) decimals,
// rounded half away from zero, trailing zeros dropped. When rounding reaches 1000 the next unit is
// used (999,999 bytes is "1 MB", not "1000 KB").
std::string formatByteCount(std::int64_t bytes, std::string_view decimalPoint) {
  if (bytes < 0) {
    // Written out so that the most negative count does not overflow.
    return '-' + formatByteCount(bytes == INT64_MIN ? INT64_MAX : -bytes, decimalPoint);
  }
  if (bytes < 1000) return std::to_string(bytes) + " B";

  struct Unit {
    const char* name;
    int decimals;
  };
  static constexpr std::array<Unit, 6> units{
      {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};

  double value = static_cast<double>(bytes) / 1000.0;
  size_t index = 0;
  while (value >= 1000.0 && index + 1 < units.size()) {
    value /= 1000.0;
    ++index;
  }
  double scale = std::pow(10.0, units[index].decimals);
  double rounded = std::round(value * scale) / scale;
  if (rounded >= 1000.0 && index + 1 < units.size()) {
    ++index;
    scale = std::pow(10.0, units[index].decimals);
    rounded = std::round(value / 1000.0 * scale) / scale;
  }
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.*f", units[index].decimals, rounded);
  std::string number = buffer.data();
  if (const std::size_t point = number.find('.'); point != std::string::npos) {
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    if (number.size() > point) number.replace(point, 1, decimalPoint);
  }
  return number + ' ' + units[index].name;
}

std::optional<std::int64_t> parseByteCount(std::string_view text) {
  // [0-9]{1,19}(\.[0-9]{1,9})?([KMGT](i?B)?)?, letters in either case
  // (ASCII only: case folding would take the Kelvin sign for a K).
  const std::optional<std::string_view> whole = digitsAt(text, 19);
  if (!whole) return std::nullopt;
  std::optional<std::string_view> fraction;
  if (!text.empty() && text.front() == '.') {
    text.remove_prefix(1);
    fraction = digitsAt(text, 9);
    if (!fraction) return std::nullopt;
  }
  std::int64_t base = 1024;
  std::int64_t multiplier = 1;
  if (!text.empty()) {
    const std::string_view steps = "KMGT";
    const std::size_t unit = steps.find(upper(text.front()));
    if (unit == std::string_view::npos) return std::nullopt;
    text.remove_prefix(1);
    if (!text.empty() && upper(text.front()) == 'I') {
      text.remove_prefix(1);
      if (text.empty()) return std::nullopt;
    } else if (!text.empty()) {
      base = 1000;
    }
    if (!text.empty()) {
      if (upper(text.front()) != 'B' || text.size() != 1) return std::nullopt;
    }
    for (std::size_t step = 0; step <= unit; ++step) multiplier *= base;
  }
  const std::optional<std::int64_t> wholeValue = numberOf(*whole);
  if (!wholeValue || *wholeValue > kMaxCount / multiplier) return std::nullopt;
  std::int64_t bytes = *wholeValue * multiplier;
  if (fraction) {
    std::int64_t scale = 1;
    for (std::size_t i = 0; i < fraction->size(); ++i) scale *= 10;
    // fraction / scale of multiplier, in steps that stay below 2^63.
    const std::int64_t digits = *numberOf(*fraction);
    const std::int64_t part = multiplier / scale * digits + multiplier % scale * digits / scale;
    if (part > kMaxCount - bytes) return std::nullopt;
    bytes += part;
  }
  if (bytes <= 0) return std::nullopt;
  return bytes;
}

}  // namespace tessaro
