// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QStringList>
#include <optional>

namespace tessaro::test {

// What mkfs.fat wrote into a boot sector: the layout as mkfs.fat itself
// worked it out, read from the bytes (not from Tessaro's model of it).
struct MkfsFatBootSector {
  bool made = false;  // mkfs.fat got as far as writing a FAT32 boot sector
  int bytesPerSector = 0;
  int sectorsPerCluster = 0;
  qint64 reservedSectors = 0;
  int fatCount = 0;
  qint64 fatSectors = 0;
  qint64 totalSectors = 0;

  qint64 clusters() const {
    return sectorsPerCluster
               ? (totalSectors - reservedSectors - fatCount * fatSectors) / sectorsPerCluster
               : 0;
  }
};

// Runs mkfs.fat (found on the system; empty path: none there) with
// arguments and -S sectorBytes on a sparse file of partitionBytes in
// directory, as it would run on a partition of that size and sector size,
// and reads back the boot sector it wrote. mkfs.fat is stopped at the first
// FAT (a file size limit), so that a 2 TiB layout costs no more than a small
// one: everything the layout depends on is decided and written before that.
MkfsFatBootSector runMkfsFatOnSparseFile(const QStringList& arguments, qint64 partitionBytes,
                                         int sectorBytes, const QString& directory);

// /usr/sbin/mkfs.fat or /sbin/mkfs.fat; empty when neither is there.
QString systemMkfsFat();

// Where the format's cluster rules and mkfs.fat disagree about a cluster
// choice (none: the default) on a disk of diskBytes: the rules accept it
// exactly when mkfs.fat, told what the helper tells it, makes a valid FAT32
// of the partition, and what it makes is the planned layout, its data area
// on a 4 MiB boundary of the disk (or the cluster's, where the plan says
// so). Empty when they agree.
QString clusterRuleDisagreement(std::optional<int> clusterBytes, qint64 diskBytes, int sectorBytes,
                                const QString& directory);

}  // namespace tessaro::test
