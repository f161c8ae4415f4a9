// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "contract/FormatVerdict.h"

namespace tessaro {

// What a format asked for, to compare against what the drive holds after it.
struct FormatExpectation {
  std::int64_t partitionStart = 2048;            // in logical sectors
  std::string volumeName;                        // as derived, not quoted
  std::optional<int> clusterBytes;               // none: any size mkfs.fat chose
  std::optional<std::int64_t> partitionSectors;  // none: any size
  // Where cluster 2 must start: on a multiple of these bytes from the start
  // of the disk (4 MiB, or the cluster where the drive cannot spare that).
  std::int64_t dataAlignment = 0;
};

// What was read back from the drive, read-only, after a format.
struct FormatReadBack {
  std::string tableLabel;  // "dos" for an MBR
  int partitionCount = 0;
  std::string partitionType;  // of the first partition, in hex as sfdisk writes it (c)
  std::int64_t partitionStart = -1;
  std::int64_t partitionSectors = -1;
  std::string fsType;               // vfat, as blkid names it
  std::string fsVersion;            // FAT32
  std::string label;                // the volume label, trailing blanks removed
  int bytesPerSector = 0;           // boot sector
  int sectorsPerCluster = 0;        // boot sector
  int reservedSectors = 0;          // boot sector
  int fatCount = 0;                 // boot sector
  std::int64_t fatSectors = 0;      // boot sector, FAT32's sectors per FAT
  std::int64_t hiddenSectors = -1;  // boot sector: where the file system says its partition starts
  std::int64_t clusterCount = -1;   // fsck.fat -v "data clusters"
  bool fsckClean = false;           // fsck.fat -n exited 0

  int clusterBytes() const { return bytesPerSector * sectorsPerCluster; }
  // Where cluster 2 starts, in bytes from the start of the disk (-1: unknown).
  std::int64_t dataStartBytes() const;
};

// The MBR partition table in the first 512 bytes of the disk: the 0x55AA
// signature, the primary entries in use, and the first one's type, start
// and length.
void readMbr(std::string_view firstSector, FormatReadBack& into);
// A FAT32 file system from its boot sector and the first cluster of its root
// directory: the type ("FAT32   " at offset 82, the boot signature) and the
// volume label, from the root directory's label entry as blkid reads it, else
// from the boot sector (offset 71); "NO NAME" is no label.
void readFatVolume(std::string_view bootSector, std::string_view rootCluster, FormatReadBack& into);
// The "N data clusters" line of `fsck.fat -v`.
void readFsckVerbose(std::string_view text, FormatReadBack& into);
// Bytes per sector (offset 11, little-endian), sectors per cluster (13),
// reserved sectors (14), number of FATs (16), hidden sectors (28) and FAT32's
// sectors per FAT (36) from the first sector of the file system.
void readBootSector(std::string_view firstSector, FormatReadBack& into);

// What verifyFormat found: the figures the format's result event tells
// (contract::FormatVerdict, whether it matches among them) and one summary
// line for the log.
struct FormatCheck {
  contract::FormatVerdict verdict;
  std::string line;
};
FormatCheck verifyFormat(const FormatExpectation& expected, const FormatReadBack& found);

}  // namespace tessaro
