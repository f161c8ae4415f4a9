// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <charconv>
#include <string>

namespace tessaro {

// value with digits places after the point ("12.3"), the same in every
// locale: for texts that are the same in every language.
inline std::string fixedDecimal(double value, int digits) {
  char text[352];  // the longest double written out in full
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
  return std::string(text, written.ptr);
}

}  // namespace tessaro
