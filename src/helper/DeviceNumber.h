// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/sysmacros.h>
#include <sys/types.h>

#include <QByteArrayView>
#include <optional>

namespace tessaro::helper {

// A device number as the kernel writes it in sysfs ("dev") and the mount
// table: "MAJOR:MINOR", two decimal numbers of one to nine digits; none for
// anything else. (Read by hand: the helper reads a few of these on every
// run, and compiling a regular expression costs more than the whole read.)
inline std::optional<dev_t> parseDeviceNumber(QByteArrayView text) {
  const auto decimal = [](QByteArrayView digits) -> std::optional<unsigned> {
    if (digits.isEmpty() || digits.size() > 9) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + unsigned(c - '0');
    }
    return value;
  };
  const qsizetype colon = text.indexOf(':');
  if (colon < 0) return std::nullopt;
  const auto majorNumber = decimal(text.first(colon));
  const auto minorNumber = decimal(text.sliced(colon + 1));
  if (!majorNumber || !minorNumber) return std::nullopt;
  return makedev(*majorNumber, *minorNumber);
}

}  // namespace tessaro::helper
