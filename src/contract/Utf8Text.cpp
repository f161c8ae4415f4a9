// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/Utf8Text.h"

namespace tessaro::contract {

namespace {

unsigned char byteAt(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

// How many bytes a character that begins with lead has (0: lead begins none).
std::size_t expectedLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Whether byte may follow lead as the character's second byte (the first
// continuation byte is narrower than 80..BF after E0, ED, F0 and F4).
bool mayFollowLead(unsigned char lead, unsigned char byte) {
  switch (lead) {
    case 0xE0:
      return byte >= 0xA0 && byte <= 0xBF;
    case 0xED:
      return byte >= 0x80 && byte <= 0x9F;
    case 0xF0:
      return byte >= 0x90 && byte <= 0xBF;
    case 0xF4:
      return byte >= 0x80 && byte <= 0x8F;
    default:
      return byte >= 0x80 && byte <= 0xBF;
  }
}

// How many bytes from at are a well-formed character or the start of one
// (stopping at the end of bytes); 0 when the byte at at begins none.
std::size_t wellFormedRun(std::string_view bytes, std::size_t at, std::size_t* expected) {
  const unsigned char lead = byteAt(bytes, at);
  *expected = expectedLength(lead);
  if (*expected == 0) return 0;
  std::size_t length = 1;
  while (length < *expected && at + length < bytes.size()) {
    const unsigned char next = byteAt(bytes, at + length);
    const bool fits = length == 1 ? mayFollowLead(lead, next) : (next >= 0x80 && next <= 0xBF);
    if (!fits) break;
    ++length;
  }
  return length;
}

}  // namespace

std::size_t Utf8Text::sequenceLength(std::string_view bytes, std::size_t at) {
  if (at >= bytes.size()) return 0;
  std::size_t expected = 0;
  const std::size_t run = wellFormedRun(bytes, at, &expected);
  return run == 0 ? 1 : run;
}

std::size_t Utf8Text::unfinishedTail(std::string_view bytes) {
  // The lead byte of an unfinished character is at most three bytes back.
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const std::size_t at = size - back;
    std::size_t expected = 0;
    const std::size_t run = wellFormedRun(bytes, at, &expected);
    if (expected == 0) continue;  // a continuation byte, or none that leads
    return run == back && run < expected ? back : 0;
  }
  return 0;
}

std::u16string Utf8Text::toUtf16(std::string_view bytes) {
  // Never more units than bytes: one unit for one to three bytes, two for
  // four, one U+FFFD for each byte or unfinished character that is none.
  std::u16string text(bytes.size(), u'\0');
  char16_t* out = text.data();
  const std::size_t size = bytes.size();
  std::size_t at = 0;
  while (at < size) {
    // ASCII, most of what tools print, a unit for each byte.
    while (at < size && byteAt(bytes, at) < 0x80) *out++ = byteAt(bytes, at++);
    if (at == size) break;
    std::size_t expected = 0;
    const std::size_t run = wellFormedRun(bytes, at, &expected);
    if (run == 0 || run < expected) {
      *out++ = u'\uFFFD';
      at += run == 0 ? 1 : run;
      continue;
    }
    const unsigned char lead = byteAt(bytes, at);
    char32_t code = run == 2 ? (lead & 0x1F) : run == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t i = 1; i < run; ++i) code = (code << 6) | (byteAt(bytes, at + i) & 0x3F);
    if (code >= 0x10000) {
      code -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(code);
    }
    at += run;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

}  // namespace tessaro::contract
