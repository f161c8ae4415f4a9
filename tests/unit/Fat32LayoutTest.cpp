// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The cluster rules against mkfs.fat itself: for each disk size and sector
// size, every cluster choice is accepted exactly when mkfs.fat, told what the
// helper tells it, makes a valid FAT32 of the partition, and the layout it
// makes is the planned one. (The fuzz target FormatRules does the same for
// any size.)
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "MkfsFatRun.h"
#include "drives/ClusterOption.h"
#include "drives/Fat32Layout.h"
#include "drives/FormatRequestRules.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kGiB = 1024 * kMiB;

TEST(Fat32LayoutTest, ClusterRulesAcceptExactlyWhatMkfsFatMakesIntoAValidFat32) {
  if (test::systemMkfsFat().isEmpty()) GTEST_SKIP() << "mkfs.fat is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Disk bytes, and what a user would lose if the rules were wrong there.
  const std::pair<qint64, const char*> disks[] = {
      {32 * kMiB, "too small for FAT32 with any cluster: refused before the erase"},
      {35 * kMiB, "just above FAT32's minimum: 512-byte clusters only, unaligned"},
      {64 * kMiB, "a small stick: the 4 MiB alignment must not cost the valid sizes"},
      {260 * kMiB + kMiB, "mkfs.fat's first default step (260 MiB)"},
      {kGiB, "1 GiB with 4096-byte sectors: the default was refused while 4096 worked"},
      {4295835648, "65536-byte clusters: 65,523 clusters, erased and then failed"},
      {8 * kGiB, "an SD card: the default must stay mkfs.fat's 4096 bytes"},
      {16 * kGiB + 2 * kMiB, "past mkfs.fat's 16 GiB step"},
      {32 * kGiB + 2 * kMiB, "past mkfs.fat's 32 GiB step"},
      {256 * kGiB, "a large drive: small clusters are too many"},
      {2048 * kGiB, "the MBR's 2 TiB: the table and mkfs.fat's 32-bit sums"},
  };
  for (const auto& [diskBytes, loss] : disks) {
    for (const int sectorBytes : {512, 4096}) {
      SCOPED_TRACE(QStringLiteral("%1 bytes, %2-byte sectors: %3")
                       .arg(diskBytes)
                       .arg(sectorBytes)
                       .arg(QLatin1String(loss))
                       .toStdString());
      const PartitionLayout partition = fat32PartitionLayout(diskBytes, sectorBytes);
      const qint64 partitionBytes = partition.sectorCount * sectorBytes;
      bool anyAccepted = false;
      for (const ClusterOption option : ClusterOption::allCases()) {
        const bool accepted = !refuseClusterSize(option.bytes(), diskBytes, sectorBytes);
        anyAccepted |= accepted;
        EXPECT_EQ(test::clusterRuleDisagreement(option.bytes(), diskBytes, sectorBytes, dir.path())
                      .toStdString(),
                  "")
            << option.rawValue();
        // Every drive that spares the room gets the flash alignment.
        const Fat32Layout planned = plannedFat32Layout(
            partition, sectorBytes, formatClusterBytes(option.bytes(), partition, sectorBytes));
        if (accepted && diskBytes >= 64 * kMiB) {
          EXPECT_TRUE(planned.flashAligned) << option.rawValue();
        }
      }
      // "Default" works wherever any size works, and is mkfs.fat's own
      // choice where that one gives a valid FAT32.
      EXPECT_EQ(!refuseClusterSize(std::nullopt, diskBytes, sectorBytes), anyAccepted);
      const qint64 mkfsChoice = defaultClusterBytes(partition, sectorBytes);
      const Fat32Layout plain = plannedFat32Layout(partition, sectorBytes, mkfsChoice);
      const test::MkfsFatBootSector own = test::runMkfsFatOnSparseFile(
          {"-F", "32", "-g",
           QString::number(plain.heads) + '/' + QString::number(plain.sectorsPerTrack)},
          partitionBytes, sectorBytes, dir.path());
      if (own.made && own.clusters() <= kFat32MaxClusters && own.clusters() >= kFat32MinClusters)
        EXPECT_EQ(own.sectorsPerCluster * sectorBytes, mkfsChoice);
    }
  }
}

}  // namespace
