// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "drives/Wording.h"

namespace tessaro {

// Every refusal below is a sentence in wording's language: English for the
// root helper's lines, the user's in the window and tessaro-cli
// (TranslatedWording). Names are UTF-8.

// mkfs.fat's rules for a volume name (dosfstools 4.2): at most 11 characters,
// printable ASCII only, none of * ? . , ; : / \ | + = < > [ ] "; and, so that
// the name reads back as typed, no leading or trailing blank and not
// "NO NAME" in any case. None when the name is accepted, else what to change.
std::optional<std::string> refuseLinuxVolumeName(const std::string& volumeName,
                                                 const Wording& wording = Wording::english());

// newfs_msdos's rules: 1 to 11 bytes, no control characters, none of
// " * + , . / : ; < = > ? [ \ ] |; no leading or trailing blank, not "NO NAME".
std::optional<std::string> refuseMacVolumeName(const std::string& volumeName,
                                               const Wording& wording = Wording::english());

// The one FAT32 partition a format makes: from 1 MiB to the end of the disk,
// or partitionBytes long (aligned down to 1 MiB) when they are given, at most
// 2^32 - 1 sectors in all (the MBR's limit: 2 TiB on 512-byte sectors), never
// past the end of the disk. Empty for a sector size no drive has
// (isValidLogicalSectorSize).
struct PartitionLayout {
  std::int64_t startSector = 0;
  std::int64_t sectorCount = 0;
  bool truncated = false;  // the disk is larger than the table can describe
  bool sized = false;      // a partition size was asked for: the table names it
};
PartitionLayout fat32PartitionLayout(std::int64_t diskBytes, int logicalSectorSize,
                                     std::optional<std::int64_t> partitionBytes = std::nullopt);

inline constexpr std::int64_t kPartitionAlignment = 1024 * 1024;

// Where the one partition ends, in bytes from the start of the disk, when an
// MBR partition table cannot describe the rest of the disk and that rest is
// 1 MB or more; none when the partition (partitionBytes, or to the end) fits
// the table, or leaves less unused (a disk of exactly 2 TiB loses one sector,
// less than the MiB before the partition that nobody is told about either).
std::optional<std::int64_t> mbrLimitedEnd(std::int64_t diskBytes,
                                          std::optional<std::int64_t> partitionBytes,
                                          int logicalSectorSize);

// A partition size rounded down to whole MiB, as the table gets it.
std::int64_t alignedPartitionBytes(std::int64_t partitionBytes);

// The largest partition that ends within the first usableBytes of a disk: a
// drive that holds data only that far (a counterfeit) is formatted safely so.
std::int64_t partitionBytesWithin(std::int64_t usableBytes);

// None when a partition of partitionBytes (aligned down to 1 MiB) fits on a
// disk of diskBytes after its first MiB; else why it does not.
std::optional<std::string> refusePartitionSize(std::int64_t partitionBytes, std::int64_t diskBytes,
                                               const Wording& wording = Wording::english());

inline constexpr std::int64_t kFat32MinClusters = 65525;
inline constexpr std::int64_t kFat32MaxClusters = 268435445;

// mkfs.fat's own choice when no cluster size is given, by the partition's
// number of logical sectors (so 4096-byte sectors get the cluster sizes of a
// disk eight times larger); 0 for a sector size no drive has.
std::int64_t defaultClusterBytes(const PartitionLayout& layout, std::int64_t logicalSectorSize);

// The cluster size a format uses: the one asked for; for the default,
// mkfs.fat's own choice where that gives a valid FAT32 here, else the offered
// size nearest to it that does (the larger of two equally near), so that the
// default works wherever any size works. mkfs.fat is always told the size.
std::int64_t formatClusterBytes(std::optional<int> clusterBytes, const PartitionLayout& layout,
                                int logicalSectorSize);

// Whether the window offers this cluster size: a power of two from 512 to 65536.
bool isOfferedClusterSize(int clusterBytes);

// None when the cluster size (none = the default, formatClusterBytes) gives a
// valid FAT32 (65,525 to 268,435,445 clusters) in the layout a format makes on
// a disk of diskBytes (plannedFat32Layout); else a message
// naming the cluster sizes that do fit. A size the window does not offer is
// refused whatever the disk, and so is a logical sector size that is not a
// power of two from 512 to 65536: nothing can be sized from it.
// With partitionBytes, the same for a partition of that size.
std::optional<std::string> refuseClusterSize(
    std::optional<int> clusterBytes, std::int64_t diskBytes, int logicalSectorSize,
    std::optional<std::int64_t> partitionBytes = std::nullopt,
    const Wording& wording = Wording::english());

}  // namespace tessaro
