// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contract/HelperContract.h"
#include "contract/Json.h"

namespace tessaro::contract {

// The partition part of DriveFacts, outside it so that std::optional of it
// is default-constructible where it is first used (clang 14).
struct PartitionFacts {
  std::optional<std::string> deviceNode;
  std::optional<std::string> volumeName;
  std::optional<std::string> filesystem;
  std::optional<std::string> mountPoint;  // none: not mounted
  std::int64_t filesystemBlockSize = 0;
  bool operator==(const PartitionFacts&) const = default;
};

// What the info verb read of a disk (and a partition of it): its result
// event. Members "disk" and "partition" (null without one), each an object
// of the values the drive report shows. A text that was not reported is
// null; flags are true or false; sizes are whole numbers of bytes, null
// (0 here) when not reported; a partition's "mounted" says whether its
// "mountPoint" is a text.
struct DriveFacts {
  static constexpr const char* event = "result";
  static constexpr const char* verb = HelperContract::infoVerb;

  struct Disk {
    std::optional<std::string> deviceNode;
    std::optional<std::string> model;
    std::optional<std::string> bus;
    bool removable = false;
    bool ejectable = false;
    bool wholeDisk = false;
    std::optional<std::string> parentWholeDisk;
    std::int64_t deviceBlockSize = 0;
    std::int64_t totalSize = 0;
    bool operator==(const Disk&) const = default;
  };

  Disk disk;
  std::optional<PartitionFacts> partition;  // none: the facts cover the disk only

  void writeTo(Json& members) const;
  // None when a member is missing or of another type, a size is no whole
  // number of bytes, or "mounted" and "mountPoint" disagree.
  static std::optional<DriveFacts> readFrom(const Json& members);
  bool operator==(const DriveFacts&) const = default;
};

}  // namespace tessaro::contract
