// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "FakeDriveShape.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace tessaro::fake {

namespace {

bool parseNumber(const std::string& text, uint64_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

}  // namespace

const char* FakeDriveShape::usage() {
  return "genuine|wrap|chain|drop|failreads|failio|garbage|oneplace CLAIMED REAL [--cache BYTES] "
         "[--delay-us N] [--fail-after-ms N] [--drop-after BYTES] [--readonly-after BYTES] "
         "[--erofs-after BYTES] [--flip-band AT BYTES]";
}

std::optional<FakeDriveShape> FakeDriveShape::parse(const std::vector<std::string>& words,
                                                    std::string& error) {
  FakeDriveShape shape;
  const std::pair<const char*, Placement> kinds[] = {
      {"genuine", Placement::genuine},     {"wrap", Placement::wrap},
      {"chain", Placement::chain},         {"drop", Placement::drop},
      {"failreads", Placement::failReads}, {"failio", Placement::failIo},
      {"garbage", Placement::garbage},     {"oneplace", Placement::onePlace}};
  if (words.size() < 3) {
    error = "a kind, the claimed and the real size are needed";
    return std::nullopt;
  }
  const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                 [&](const auto& known) { return words[0] == known.first; });
  if (kind == std::end(kinds)) {
    error = "unknown kind " + words[0];
    return std::nullopt;
  }
  shape.placement = kind->second;
  if (!parseNumber(words[1], shape.claimed) || !parseNumber(words[2], shape.real) ||
      shape.claimed == 0) {
    error = "sizes are whole numbers of bytes";
    return std::nullopt;
  }
  for (size_t i = 3; i < words.size(); i += 2) {
    uint64_t value = 0;
    const std::string& option = words[i];
    if (i + 1 >= words.size() || !parseNumber(words[i + 1], value)) {
      error = option + " needs a number";
      return std::nullopt;
    }
    if (option == "--cache") {
      shape.cacheBytes = value;
    } else if (option == "--delay-us") {
      shape.delayUs = int64_t(value);
    } else if (option == "--fail-after-ms") {
      shape.failAfterMs = int64_t(value);
    } else if (option == "--drop-after") {
      shape.dropAfter = value;
    } else if (option == "--readonly-after") {
      shape.readOnlyAfter = value;
    } else if (option == "--erofs-after") {
      shape.erofsAfter = value;
    } else if (option == "--flip-band") {
      shape.bandAt = value;
      if (i + 2 >= words.size() || !parseNumber(words[i + 2], shape.bandBytes)) {
        error = "--flip-band needs where and how many bytes";
        return std::nullopt;
      }
      ++i;
    } else {
      error = "unknown option " + option;
      return std::nullopt;
    }
  }
  if (shape.placement == Placement::genuine) shape.real = shape.claimed;
  if (shape.real == 0 || shape.real > shape.claimed) {
    error = "the real size must be from 1 byte to the claimed size";
    return std::nullopt;
  }
  return shape;
}

}  // namespace tessaro::fake
