// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/Fat32Layout.h"

#include <cstdint>

#include "drives/FormatRequestRules.h"
#include "drives/LogicalSectorSize.h"

namespace tessaro {

namespace {

constexpr std::int64_t kDefaultReservedSectors = 32;  // mkfs.fat's own for FAT32
constexpr std::int64_t kMaxReservedSectors = 0xFFFF;  // the boot sector's field
constexpr std::uint32_t kMkfsMaxClusters = 268435446;

// mkfs.fat rounds a count up to whole clusters (clusterSectors: a power of two).
std::uint32_t alignUp(std::uint32_t sectors, std::uint32_t clusterSectors) {
  return (sectors + clusterSectors - 1) & ~(clusterSectors - 1);
}

// mkfs.fat's cdiv() on ints, with the wrap a 32-bit sum has there.
std::uint32_t intDivideUp(std::uint32_t a, std::int32_t b) {
  const auto sum = static_cast<std::int32_t>(a + static_cast<std::uint32_t>(b - 1));
  return static_cast<std::uint32_t>(sum / b);
}

// mkfs.fat's geometry for a device that reports none, from its size in
// 512-byte units: the SD card recommendation up to 256 MiB, LBA-assist
// translation above.
void fat32Geometry(std::int64_t sectors512, int* heads, int* sectorsPerTrack) {
  if (sectors512 <= 524288) {
    *heads = sectors512 <= 32768 ? 2 : sectors512 <= 65536 ? 4 : sectors512 <= 262144 ? 8 : 16;
    *sectorsPerTrack = sectors512 <= 4096 ? 16 : 32;
    return;
  }
  *heads = sectors512 <= 16 * 63 * 1024    ? 16
           : sectors512 <= 32 * 63 * 1024  ? 32
           : sectors512 <= 64 * 63 * 1024  ? 64
           : sectors512 <= 128 * 63 * 1024 ? 128
                                           : 255;
  *sectorsPerTrack = 63;
}

}  // namespace

bool Fat32Layout::isValid() const {
  return !mkfsRefuses && clusters >= kFat32MinClusters && clusters <= kFat32MaxClusters;
}

Fat32Layout mkfsFat32Layout(std::int64_t partitionStart, std::int64_t partitionSectors,
                            int sectorBytes, int clusterSectors, std::int64_t reservedSectors) {
  Fat32Layout layout;
  layout.partitionStart = partitionStart;
  layout.sectorBytes = sectorBytes;
  layout.clusterSectors = clusterSectors;
  if (!isValidLogicalSectorSize(sectorBytes) || clusterSectors < 1 || clusterSectors > 128 ||
      (clusterSectors & (clusterSectors - 1)) != 0 || partitionSectors <= 0 ||
      reservedSectors < 2 || reservedSectors > kMaxReservedSectors) {
    return layout;
  }
  fat32Geometry(partitionSectors * sectorBytes / 512, &layout.heads, &layout.sectorsPerTrack);

  // Whole tracks, at most 2^32 - 1 sectors.
  std::uint32_t sectors =
      partitionSectors > UINT32_MAX ? UINT32_MAX : std::uint32_t(partitionSectors);
  sectors = sectors / std::uint32_t(layout.sectorsPerTrack) * std::uint32_t(layout.sectorsPerTrack);
  // Nothing is aligned on a file system of a floppy's size.
  const std::uint32_t c = sectors <= 8192 ? 1 : std::uint32_t(clusterSectors);
  const auto reserved = alignUp(std::uint32_t(reservedSectors), c);

  const std::uint32_t fatData = sectors - reserved;
  const std::int64_t estimate = (std::int64_t(fatData) * sectorBytes + 2 * 8) /
                                (std::int64_t(clusterSectors) * sectorBytes + 2 * 4);
  auto clusters = static_cast<std::uint32_t>(estimate);
  const std::uint32_t fatLength = alignUp(intDivideUp((clusters + 2) * 4, sectorBytes), c);
  // The FATs' unused tails and the data area's rest could make one more,
  // not really present, cluster: counted again.
  clusters = (fatData - 2 * fatLength) / std::uint32_t(clusterSectors);
  std::uint32_t maxClusters = fatLength * std::uint32_t(sectorBytes) / 4;
  if (maxClusters > kMkfsMaxClusters) maxClusters = kMkfsMaxClusters;
  bool refused = clusters > maxClusters;
  // mkfs.fat's last check, on the data area's start in 1 KiB blocks, kept
  // in an int: a start past 2^31 sectors wraps negative, and mkfs.fat then
  // refuses the size as too small.
  const auto dataSector512 =
      static_cast<std::int32_t>((reserved + 2 * fatLength) * std::uint32_t(sectorBytes / 512));
  const auto dataBlock = static_cast<std::int32_t>((std::int64_t(dataSector512) + 1) / 2);
  const auto blocks = static_cast<std::uint64_t>(partitionSectors * sectorBytes / 1024);
  refused = refused || blocks < static_cast<std::uint64_t>(std::int64_t(dataBlock) + 32);

  layout.totalSectors = sectors;
  layout.reservedSectors = reserved;
  layout.fatSectors = fatLength;
  layout.clusters = refused ? estimate : clusters;
  layout.mkfsRefuses = refused;
  return layout;
}

Fat32Layout plannedFat32Layout(const PartitionLayout& partition, int sectorBytes,
                               std::int64_t clusterBytes) {
  if (!isValidLogicalSectorSize(sectorBytes) || clusterBytes < sectorBytes ||
      clusterBytes % sectorBytes != 0 || clusterBytes / sectorBytes > 128) {
    return {};
  }
  const int clusterSectors = int(clusterBytes / sectorBytes);
  const auto layoutWith = [&](std::int64_t reserved) {
    return mkfsFat32Layout(partition.startSector, partition.sectorCount, sectorBytes,
                           clusterSectors, reserved);
  };
  const Fat32Layout plain = layoutWith(kDefaultReservedSectors);
  if (!plain.isValid()) return plain;
  // More reserved sectors can only shrink the FATs, so the data area moves
  // by whole clusters; the first position on a boundary is the one that
  // spares the most.
  const std::int64_t unit = kFlashAlignment / sectorBytes;
  for (std::int64_t reserved = plain.reservedSectors; reserved <= kMaxReservedSectors;
       reserved += clusterSectors) {
    Fat32Layout aligned = layoutWith(reserved);
    if (!aligned.isValid()) break;
    if ((aligned.partitionStart + aligned.reservedSectors + 2 * aligned.fatSectors) % unit == 0) {
      aligned.flashAligned = true;
      return aligned;
    }
  }
  return plain;
}

}  // namespace tessaro
