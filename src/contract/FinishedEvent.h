// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>

#include "contract/Json.h"

namespace tessaro::contract {

// The end of one disk's run in a run over several disks: "status", the exit
// status that run would have had on its own (HelperContract::Status, or a
// tool's). The disk is HelperEvent's "disk".
struct FinishedEvent {
  static constexpr const char* event = "finished";

  int status = 0;

  void writeTo(Json& members) const;
  // None when the status is missing or none a process can have.
  static std::optional<FinishedEvent> readFrom(const Json& members);
  bool operator==(const FinishedEvent&) const = default;
};

}  // namespace tessaro::contract
