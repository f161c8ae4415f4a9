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
  const auto refuse = [&error](const std::string& why) {
    error = why;
    return std::optional<FakeDriveShape>();
  };
  const std::pair<const char*, Placement> kinds[] = {
      {"genuine", Placement::genuine},     {"wrap", Placement::wrap},
      {"chain", Placement::chain},         {"drop", Placement::drop},
      {"failreads", Placement::failReads}, {"failio", Placement::failIo},
      {"garbage", Placement::garbage},     {"oneplace", Placement::onePlace}};
  // Options and the field each sets; --flip-band takes a second number, bandBytes.
  const std::pair<const char*, uint64_t FakeDriveShape::*> numbers[] = {
      {"--cache", &FakeDriveShape::cacheBytes},
      {"--delay-us", &FakeDriveShape::delayUs},
      {"--flip-band", &FakeDriveShape::bandAt}};
  const std::pair<const char*, std::optional<uint64_t> FakeDriveShape::*> limits[] = {
      {"--fail-after-ms", &FakeDriveShape::failAfterMs},
      {"--drop-after", &FakeDriveShape::dropAfter},
      {"--readonly-after", &FakeDriveShape::readOnlyAfter},
      {"--erofs-after", &FakeDriveShape::erofsAfter}};
  const auto named = [](const std::string& word) {
    return [&word](const auto& known) { return word == known.first; };
  };
  if (words.size() < 3) return refuse("a kind, the claimed and the real size are needed");
  const auto kind = std::find_if(std::begin(kinds), std::end(kinds), named(words[0]));
  if (kind == std::end(kinds)) return refuse("unknown kind " + words[0]);
  FakeDriveShape shape;
  shape.placement = kind->second;
  if (!parseNumber(words[1], shape.claimed) || !parseNumber(words[2], shape.real) ||
      shape.claimed == 0)
    return refuse("sizes are whole numbers of bytes");
  for (size_t i = 3; i < words.size(); i += 2) {
    const std::string& option = words[i];
    uint64_t value = 0;
    if (i + 1 >= words.size() || !parseNumber(words[i + 1], value))
      return refuse(option + " needs a number");
    const auto number = std::find_if(std::begin(numbers), std::end(numbers), named(option));
    const auto limit = std::find_if(std::begin(limits), std::end(limits), named(option));
    if (number != std::end(numbers))
      shape.*(number->second) = value;
    else if (limit != std::end(limits))
      shape.*(limit->second) = value;
    else
      return refuse("unknown option " + option);
    if (option == "--flip-band" &&
        (++i + 1 >= words.size() || !parseNumber(words[i + 1], shape.bandBytes)))
      return refuse("--flip-band needs where and how many bytes");
  }
  if (shape.placement == Placement::genuine) shape.real = shape.claimed;
  if (shape.real == 0 || shape.real > shape.claimed)
    return refuse("the real size must be from 1 byte to the claimed size");
  return shape;
}

}  // namespace tessaro::fake
