// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "contract/FormatVerdict.h"

namespace tessaro {

// What a format asked for, to compare against what the drive holds after it.
struct FormatExpectation {
  qint64 partitionStart = 2048;            // in logical sectors
  QString volumeName;                      // as derived, not quoted
  std::optional<int> clusterBytes;         // none: any size mkfs.fat chose
  std::optional<qint64> partitionSectors;  // none: any size
  // Where cluster 2 must start: on a multiple of these bytes from the start
  // of the disk (4 MiB, or the cluster where the drive cannot spare that).
  qint64 dataAlignment = 0;
};

// What was read back from the drive, read-only, after a format.
struct FormatReadBack {
  QString tableLabel;  // "dos" for an MBR
  int partitionCount = 0;
  QString partitionType;  // of the first partition, in hex as sfdisk writes it (c)
  qint64 partitionStart = -1;
  qint64 partitionSectors = -1;
  QString fsType;             // vfat, as blkid names it
  QString fsVersion;          // FAT32
  QString label;              // the volume label, trailing blanks removed
  int bytesPerSector = 0;     // boot sector
  int sectorsPerCluster = 0;  // boot sector
  int reservedSectors = 0;    // boot sector
  int fatCount = 0;           // boot sector
  qint64 fatSectors = 0;      // boot sector, FAT32's sectors per FAT
  qint64 hiddenSectors = -1;  // boot sector: where the file system says its partition starts
  qint64 clusterCount = -1;   // fsck.fat -v "data clusters"
  bool fsckClean = false;     // fsck.fat -n exited 0

  int clusterBytes() const { return bytesPerSector * sectorsPerCluster; }
  // Where cluster 2 starts, in bytes from the start of the disk (-1: unknown).
  qint64 dataStartBytes() const;
};

// The MBR partition table in the first 512 bytes of the disk: the 0x55AA
// signature, the primary entries in use, and the first one's type, start
// and length.
void readMbr(const QByteArray& firstSector, FormatReadBack& into);
// A FAT32 file system from its boot sector and the first cluster of its root
// directory: the type ("FAT32   " at offset 82, the boot signature) and the
// volume label, from the root directory's label entry as blkid reads it, else
// from the boot sector (offset 71); "NO NAME" is no label.
void readFatVolume(const QByteArray& bootSector, const QByteArray& rootCluster,
                   FormatReadBack& into);
// The "N data clusters" line of `fsck.fat -v`.
void readFsckVerbose(const QString& text, FormatReadBack& into);
// Bytes per sector (offset 11, little-endian), sectors per cluster (13),
// reserved sectors (14), number of FATs (16), hidden sectors (28) and FAT32's
// sectors per FAT (36) from the first sector of the file system.
void readBootSector(const QByteArray& firstSector, FormatReadBack& into);

// What verifyFormat found: the figures the format's result event tells
// (contract::FormatVerdict, whether it matches among them) and one summary
// line for the log.
struct FormatCheck {
  contract::FormatVerdict verdict;
  QString line;
};
FormatCheck verifyFormat(const FormatExpectation& expected, const FormatReadBack& found);

}  // namespace tessaro
