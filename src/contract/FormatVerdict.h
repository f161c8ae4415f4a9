// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contract/HelperContract.h"
#include "contract/Json.h"

namespace tessaro::contract {

// What a format read back from the drive after its last write, and whether
// that is what was asked: the format verb's result event.
struct FormatVerdict {
  static constexpr const char* event = "result";
  static constexpr const char* verb = HelperContract::formatVerb;

  bool matches = false;
  std::string table;          // "dos" for an MBR, empty when none was found
  std::string partitionType;  // "c" for FAT32 with LBA, in hex as sfdisk writes it
  // In logical sectors; -1: not found on the drive.
  std::int64_t partitionStart = -1;
  std::int64_t partitionSectors = -1;
  std::string fileSystem;  // "FAT32"
  std::string label;       // the volume label, trailing blanks removed
  std::int64_t clusterBytes = 0;
  std::int64_t clusters = -1;  // data clusters as fsck.fat counts them; -1: unknown
  // The bytes the data area is aligned to as asked; 0 when it is not.
  std::int64_t dataAlignment = 0;
  bool fsckClean = false;  // fsck.fat -n found no errors

  void writeTo(Json& members) const;
  // None when a member is missing, of another type, or a figure is no whole
  // number from -1.
  static std::optional<FormatVerdict> readFrom(const Json& members);
  bool operator==(const FormatVerdict&) const = default;
};

}  // namespace tessaro::contract
