// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/VisibleText.h"

#include "contract/Utf8Text.h"

namespace tessaro {

namespace {

bool isControl(char32_t c, LineFeeds lineFeeds) {
  if (c == U'\t') return false;
  if (c == U'\n') return lineFeeds == LineFeeds::escape;
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The character that sequence (one of Utf8Text::sequenceLength) encodes;
// U+FFFD for one that is no whole well-formed character.
char32_t decoded(std::string_view sequence) {
  const auto byte = [&sequence](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
  const unsigned char lead = byte(0);
  const std::size_t expected = lead < 0x80                  ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
  if (expected == 0 || sequence.size() != expected) return U'\uFFFD';
  if (expected == 1) return lead;
  char32_t c = lead & (0x7F >> expected);
  for (std::size_t i = 1; i < expected; ++i) c = (c << 6) | (byte(i) & 0x3F);
  return c;
}

}  // namespace

std::string visibleText(std::string_view text, LineFeeds lineFeeds) {
  std::string visible;
  visible.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    // Printable ASCII and tabs, most of what tools print, as they are.
    std::size_t plain = at;
    while (plain < text.size() &&
           ((text[plain] >= 0x20 && text[plain] < 0x7F) || text[plain] == '\t'))
      ++plain;
    if (plain > at) {
      visible.append(text.substr(at, plain - at));
      at = plain;
      continue;
    }
    const std::size_t length = contract::Utf8Text::sequenceLength(text, at);
    const std::string_view sequence = text.substr(at, length);
    at += length;
    const char32_t c = decoded(sequence);
    if (c == U'\uFFFD' && sequence != "\xEF\xBF\xBD") {
      visible += "\xEF\xBF\xBD";
    } else if (isControl(c, lineFeeds)) {
      static constexpr char hex[] = "0123456789ABCDEF";
      visible += "\\x";
      visible += hex[c >> 4];
      visible += hex[c & 0xF];
    } else {
      visible += sequence;
    }
  }
  return visible;
}

}  // namespace tessaro
