// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>

#include "contract/DriveFacts.h"

namespace tessaro {

// What the drive information report shows about a disk and its partition:
// the figures of the helper's info result (contract::DriveFacts), read on
// Linux from its result event (DriveFactsJson) and on macOS from diskutil's
// property lists. A text that was not reported is none; a size that was not
// reported is 0.
struct DriveFacts : contract::DriveFacts {
  using Partition = contract::PartitionFacts;

  // The facts of the disk diskName as Tessaro tells them: those read (none:
  // nothing more is known of it), with the disk's own path as its device
  // node where that was reported empty or not at all.
  static DriveFacts ofDisk(const std::optional<DriveFacts>& read, const std::string& diskName) {
    DriveFacts facts = read.value_or(DriveFacts{});
    if (facts.disk.deviceNode.value_or(std::string()).empty())
      facts.disk.deviceNode = "/dev/" + diskName;
    return facts;
  }
};

}  // namespace tessaro
