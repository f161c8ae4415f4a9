// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro::contract {

// UTF-8 as the helper's frames carry it, read by hand in plain C++: where a
// character begins and ends, so that text is cut between characters, and
// its decoding to UTF-16. Well-formed means as Unicode defines it (no
// overlong forms, no surrogates, nothing above U+10FFFF).
class Utf8Text {
 public:
  // How many bytes from at belong together: a whole well-formed character,
  // or the longest start of one that is not followed by its next byte (one
  // U+FFFD when decoded), or 1 for a byte that begins no character.
  static std::size_t sequenceLength(std::string_view bytes, std::size_t at);

  // How many bytes at the end of bytes begin a well-formed character that
  // is not complete yet (0 to 3): what a reader holds back for the next read.
  static std::size_t unfinishedTail(std::string_view bytes);

  // bytes as UTF-16: every well-formed character as it is (a byte-order mark
  // included), every byte run that is none as one U+FFFD per sequenceLength.
  static std::u16string toUtf16(std::string_view bytes);
};

}  // namespace tessaro::contract
