// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro {

// The volume name a format writes: "UNTITLED" when the label is blank, else
// the label exactly as typed (not trimmed), upper-cased, non-ASCII included.
QString deriveVolumeName(const QString& label);

// mkfs.fat's rules for a volume name (dosfstools 4.2): at most 11 characters,
// printable ASCII only, none of * ? . , ; : / \ | + = < > [ ] "; and, so that
// the name reads back as typed, no leading or trailing blank and not
// "NO NAME" in any case. None when the name is accepted, else what to change.
std::optional<QString> refuseLinuxVolumeName(const QString& volumeName);

// newfs_msdos's rules: 1 to 11 bytes, no control characters, none of
// " * + , . / : ; < = > ? [ \ ] |; no leading or trailing blank, not "NO NAME".
std::optional<QString> refuseMacVolumeName(const QString& volumeName);

// The one FAT32 partition a format makes: from 1 MiB to the end of the disk,
// or partitionBytes long (aligned down to 1 MiB) when they are given, at most
// 2^32 - 1 sectors in all (the MBR's limit: 2 TiB on 512-byte sectors), never
// past the end of the disk. Empty for a sector size no drive has
// (isValidLogicalSectorSize).
struct PartitionLayout {
  qint64 startSector = 0;
  qint64 sectorCount = 0;
  bool truncated = false;  // the disk is larger than the table can describe
  bool sized = false;      // a partition size was asked for: the table names it
};
PartitionLayout fat32PartitionLayout(qint64 diskBytes, int logicalSectorSize,
                                     std::optional<qint64> partitionBytes = std::nullopt);

inline constexpr qint64 kPartitionAlignment = 1024 * 1024;

// Where the one partition ends, in bytes from the start of the disk, when an
// MBR partition table cannot describe the rest of the disk and that rest is
// 1 MB or more; none when the partition (partitionBytes, or to the end) fits
// the table, or leaves less unused (a disk of exactly 2 TiB loses one sector,
// less than the MiB before the partition that nobody is told about either).
std::optional<qint64> mbrLimitedEnd(qint64 diskBytes, std::optional<qint64> partitionBytes,
                                    int logicalSectorSize);

// What the user must know before confirming the erase of a drive of
// diskBytes that an MBR partition cannot cover (mbrLimitedEnd): "Only the
// first 2.2 TB of 3.3 TB can be used: an MBR partition table cannot address
// more.", with numbers in the user's language. Empty when it can. The window
// and tessaro-cli assume 512-byte sectors, as their checks of a request do;
// the helper, which knows the sector size, says the same in its log.
QString mbrLimitNotice(qint64 diskBytes, std::optional<qint64> partitionBytes = std::nullopt,
                       int logicalSectorSize = 512);

// A partition size rounded down to whole MiB, as the table gets it.
qint64 alignedPartitionBytes(qint64 partitionBytes);

// The largest partition that ends within the first usableBytes of a disk: a
// drive that holds data only that far (a counterfeit) is formatted safely so.
qint64 partitionBytesWithin(qint64 usableBytes);

// None when a partition of partitionBytes (aligned down to 1 MiB) fits on a
// disk of diskBytes after its first MiB; else why it does not.
std::optional<QString> refusePartitionSize(qint64 partitionBytes, qint64 diskBytes);

inline constexpr qint64 kFat32MinClusters = 65525;
inline constexpr qint64 kFat32MaxClusters = 268435445;

// mkfs.fat's own choice when no cluster size is given, by the partition's
// number of logical sectors (so 4096-byte sectors get the cluster sizes of a
// disk eight times larger); 0 for a sector size no drive has.
qint64 defaultClusterBytes(const PartitionLayout& layout, qint64 logicalSectorSize);

// The cluster size a format uses: the one asked for; for the default,
// mkfs.fat's own choice where that gives a valid FAT32 here, else the offered
// size nearest to it that does (the larger of two equally near), so that the
// default works wherever any size works. mkfs.fat is always told the size.
qint64 formatClusterBytes(std::optional<int> clusterBytes, const PartitionLayout& layout,
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
std::optional<QString> refuseClusterSize(std::optional<int> clusterBytes, qint64 diskBytes,
                                         int logicalSectorSize,
                                         std::optional<qint64> partitionBytes = std::nullopt);

}  // namespace tessaro
