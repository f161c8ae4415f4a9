// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "contract/Json.h"

namespace tessaro::contract {

// Reads the members of one JSON object by type, for the codecs of the
// helper's events. A member that is missing, of another type or out of range
// spoils the whole read: ok() is false from then on, and the value read is a
// default one.
class MemberReader {
 public:
  explicit MemberReader(const Json& object) : object_(object), ok_(object.object() != nullptr) {}

  bool ok() const { return ok_; }

  std::string text(std::string_view name);
  // A text or null (none); a missing member is as wrong as one of another type.
  std::optional<std::string> textOrNull(std::string_view name);
  bool flag(std::string_view name);
  // A whole number (written without fraction or exponent) from low to high.
  std::int64_t whole(std::string_view name, std::int64_t low, std::int64_t high);
  // The same or null (none).
  std::optional<std::int64_t> wholeOrNull(std::string_view name, std::int64_t low,
                                          std::int64_t high);
  // The same, or none when the member is absent.
  std::optional<std::int64_t> wholeIfPresent(std::string_view name, std::int64_t low,
                                             std::int64_t high);
  // Any number from low to high.
  double number(std::string_view name, double low, double high);
  // An object member, or null (none).
  const Json* objectOrNull(std::string_view name);

  // Spoils the read for a reason of the caller's (members that disagree).
  void spoil() { ok_ = false; }

 private:
  const Json* member(std::string_view name);

  const Json& object_;
  bool ok_;
};

}  // namespace tessaro::contract
