// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <numeric>

namespace tessaro {

struct PartitionLayout;

// Flash media erase and program in units of 4 MiB (SDHC and SDXC allocation
// units); a data area that starts on such a boundary keeps every cluster
// within one unit.
inline constexpr std::int64_t kFlashAlignment = 4 * 1024 * 1024;

// What mkfs.fat -F 32 (dosfstools 4.2) makes of a partition when it is given
// the cluster size (-s), the reserved sectors (-R) and the geometry (-g),
// worked out with mkfs.fat's own arithmetic: the sectors rounded down to
// whole tracks, the reserved sectors and each FAT rounded up to whole
// clusters, the FAT sized for the clusters that fit beside it, 32-bit
// unsigned sums wrapping as they do in mkfs.fat.
struct Fat32Layout {
  std::int64_t partitionStart = 0;  // logical sectors from the start of the disk
  int sectorBytes = 0;
  int clusterSectors = 0;
  int heads = 0;  // -g HEADS/SECTORS
  int sectorsPerTrack = 0;
  std::int64_t totalSectors = 0;     // what the file system covers
  std::int64_t reservedSectors = 0;  // -R, a whole number of clusters
  std::int64_t fatSectors = 0;       // each of the two FATs
  std::int64_t clusters = 0;
  bool mkfsRefuses = false;   // too many clusters: clusters is then mkfs.fat's first estimate
  bool flashAligned = false;  // the data area starts on a 4 MiB boundary of the disk

  std::int64_t clusterBytes() const { return std::int64_t(clusterSectors) * sectorBytes; }
  // Where cluster 2 starts, in bytes from the start of the disk.
  std::int64_t dataStartBytes() const {
    return (partitionStart + reservedSectors + 2 * fatSectors) * sectorBytes;
  }
  // The boundary of the disk the data area starts on: 4 MiB where it was
  // moved there; otherwise mkfs.fat's alignment to the cluster within the
  // partition, which on the disk is the largest power of two dividing both
  // the cluster and the partition's start (the cluster itself, unless a
  // cluster is larger than the 1 MiB the partition starts at).
  std::int64_t dataAlignmentBytes() const {
    return flashAligned ? kFlashAlignment : std::gcd(clusterBytes(), partitionStart * sectorBytes);
  }
  // 65,525 to 268,435,445 clusters: what every FAT32 reader takes for FAT32.
  bool isValid() const;
};

// mkfs.fat -F 32 -s clusterSectors -R reservedSectors -g HEADS/SECTORS on a
// partition of partitionSectors logical sectors that starts partitionStart
// sectors into the disk. The geometry is the one mkfs.fat itself derives
// when the device reports none (fat32Geometry).
Fat32Layout mkfsFat32Layout(std::int64_t partitionStart, std::int64_t partitionSectors,
                            int sectorBytes, int clusterSectors, std::int64_t reservedSectors);

// The layout a format makes with clusterBytes on that partition: the fewest
// reserved sectors (32 or more) that put the data area on a 4 MiB boundary of
// the disk, where that still leaves a valid FAT32; else mkfs.fat's own 32,
// which puts the data area on a cluster boundary. clusters is 0 when the
// sector or cluster size cannot be used at all (a cluster smaller than a
// sector, or more than 128 sectors).
Fat32Layout plannedFat32Layout(const PartitionLayout& partition, int sectorBytes,
                               std::int64_t clusterBytes);

}  // namespace tessaro
