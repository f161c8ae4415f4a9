// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>

#include "contract/Json.h"

namespace tessaro::contract {

// The progress event: "fraction" done, 0 to 1; "bytesDone" (0 where a verb
// counts its steps rather than bytes); "secondsLeft", absent until known.
struct ProgressEvent {
  static constexpr const char* event = "progress";
  // Up to about 30 years: anything longer is not a drive's answer.
  static constexpr std::int64_t longestWait = 1'000'000'000;

  double fraction = 0;
  std::int64_t bytesDone = 0;
  std::optional<std::int64_t> secondsLeft;
  // Up to a petabyte a second: anything faster is not a drive's answer.
  static constexpr std::int64_t fastest = 1'000'000'000'000'000;
  // Absent where the verb does not tell it (only probe's full test does).
  std::optional<std::int64_t> bytesPerSecond;

  void writeTo(Json& members) const;
  // None when a figure is missing, of another type or out of range.
  static std::optional<ProgressEvent> readFrom(const Json& members);
  bool operator==(const ProgressEvent&) const = default;
};

}  // namespace tessaro::contract
