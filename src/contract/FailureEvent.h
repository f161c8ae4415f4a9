// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>

#include "contract/Json.h"

namespace tessaro::contract {

// The failure event of a run that stops early: "kind" (failureKind of the
// status), "written" (whether the drive was changed before), "tool" (may be
// empty), "status" (the helper's exit status) and "message" (the line it
// printed for people).
struct FailureEvent {
  static constexpr const char* event = "failure";

  std::string kind;
  bool written = false;
  std::string tool;
  int status = 0;
  std::string message;

  // The failure of a run that ends with status, its kind named after it.
  static FailureEvent of(int status, bool written, std::string message);

  void writeTo(Json& members) const;
  // None when a member is missing or of another type, the kind is empty or
  // the status is none a process can have.
  static std::optional<FailureEvent> readFrom(const Json& members);
  bool operator==(const FailureEvent&) const = default;
};

}  // namespace tessaro::contract
