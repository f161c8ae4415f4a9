// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/sysmacros.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tessaro {

// A device number as the kernel writes it in sysfs ("dev") and lsblk prints
// it: "MAJOR:MINOR", two decimal numbers of one to nine digits; none for
// anything else. (Read by hand: the helper reads a few of these on every
// run, and compiling a regular expression costs more than the whole read.)
inline std::optional<dev_t> parseDeviceNumber(std::string_view text) {
  const auto decimal = [](std::string_view digits) -> std::optional<unsigned> {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + unsigned(c - '0');
    }
    return value;
  };
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto majorNumber = decimal(text.substr(0, colon));
  const auto minorNumber = decimal(text.substr(colon + 1));
  if (!majorNumber || !minorNumber) return std::nullopt;
  return makedev(*majorNumber, *minorNumber);
}

// "8:16", for people.
inline std::string deviceNumberText(dev_t number) {
  return std::to_string(major(number)) + ':' + std::to_string(minor(number));
}

}  // namespace tessaro
