// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro {

// A byte count as a file-size text with decimal units (1 KB = 1000 bytes):
// "0 B", "1 B", "999 B", "2 KB", "1.5 MB", "32 GB", "15.76 GB"; with another
// decimal point where a language has one ("15,76 GB" in German: the window
// and tessaro-cli pass their user's, see NumberLocale).
std::string formatByteCount(std::int64_t bytes, std::string_view decimalPoint = ".");

// A byte count as sfdisk and lsblk read one: a whole or decimal number, then
// nothing (bytes), K, M, G or T, or KiB ... TiB (powers of 1024), or KB ...
// TB (powers of 1000), letters in either case ("1G", "1.5GiB", "500MB").
// None for anything else, for 0 and for a count beyond 2^63 - 1; a fraction
// of a byte is dropped.
std::optional<std::int64_t> parseByteCount(std::string_view text);

}  // namespace tessaro
