// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The format: what may be asked for, the commands and partition table made
// of it, FAT32's layout against mkfs.fat itself, and the read-back that says
// whether the drive holds what was asked.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <chrono>
#include <climits>
#include <fstream>
#include <limits>

#include "DataRows.h"
#include "MkfsFatRun.h"
#include "drives/ClusterOption.h"
#include "drives/Fat32Layout.h"
#include "drives/FormatRequestRules.h"
#include "drives/LogicalSectorSize.h"
#include "drives/VolumeName.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkJson.h"
#include "drives/linux/PartitionNaming.h"
#include "drives/mac/MacDiskTools.h"
#include "helper/LinuxFormatSteps.h"
#include "helper/format/DeviceNodeWatch.h"
#include "helper/format/FormatVerification.h"

using namespace tessaro;
using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kGiB = 1024 * kMiB;

FormatRequest request(const QString& device, const QString& label, std::optional<int> bytes,
                      qint64 size = 16 * kGiB) {
  return {{.bsdName = device.mid(5), .devicePath = device, .size = size},
          deriveVolumeName(label),
          bytes};
}

QString macLine(const QString& label, std::optional<int> bytes) {
  return MacDiskTools().formatCommand(request("/dev/disk4", label, bytes)).args.value(1);
}

// A refusal as readable text; empty when accepted.
std::string text(const std::optional<std::string>& refusal) { return refusal.value_or(""); }

TEST(FormatCompositionTest, MacRunsTheFourInvocationsQuotedAndUpperCased) {
  const PrivilegedCommand command =
      MacDiskTools().formatCommand(request("/dev/disk4", "My USB", 32768));
  EXPECT_EQ(command.args.value(1),
            "/usr/sbin/diskutil eraseDisk MS-DOS 'MY USB' MBRFormat /dev/disk4 && "
            "/usr/sbin/diskutil unmount /dev/disk4s1 && /sbin/newfs_msdos -F 32 -b 32768 -v "
            "'MY USB' /dev/rdisk4s1 && /usr/sbin/diskutil mount /dev/disk4s1");
  EXPECT_EQ(command.args.value(0), "-c");
  EXPECT_EQ(command.tool, "/bin/sh");
  EXPECT_TRUE(macLine(" \n ", {}).contains("/sbin/newfs_msdos -F 32 -v 'UNTITLED' /dev/rdisk4s1"));
  EXPECT_TRUE(macLine("o'clé", 4096).contains("-b 4096 -v 'O'\\''CLÉ' /dev/rdisk4s1"));
  EXPECT_EQ(deriveVolumeName(" my usb "), " MY USB ");  // blanks kept
}

TEST(FormatCompositionTest, PartitionIsCappedAtTheMbrLimitAndNamedAsTheKernelDoes) {
  LinuxFormatPlan plan{.diskPath = "/dev/sdc", .diskBytes = 4096 * kGiB, .volumeName = "BIG"};
  EXPECT_EQ(linuxPartitionSteps(plan).at(1).input,
            "label: dos\nstart=2048, size=4294965247, type=c\n");
  EXPECT_EQ(linuxFormatNotes(plan).size(), 1);
  plan.logicalSectorSize = 4096;  // 4 KiB sectors reach 16 TiB
  EXPECT_EQ(linuxPartitionSteps(plan).at(1).input, "label: dos\nstart=256, type=c\n");
  EXPECT_TRUE(linuxFormatNotes(plan).empty());
  // A partition size is named in the table, in whole MiB, and never runs past the MBR's limit.
  plan.partitionBytes = kGiB + 12345;
  EXPECT_EQ(linuxPartitionSteps(plan).at(1).input, "label: dos\nstart=256, size=262144, type=c\n");
  plan.logicalSectorSize = 512;
  plan.partitionBytes = 4000 * kGiB;
  EXPECT_EQ(linuxPartitionSteps(plan).at(1).input,
            "label: dos\nstart=2048, size=4294965247, type=c\n");
  // The kernel puts a "p" between a disk name ending in a digit and the number.
  EXPECT_EQ(linuxFormatPartitionPath("/dev/sdb"), "/dev/sdb1");
  EXPECT_EQ(linuxFormatPartitionPath("/dev/loop0"), "/dev/loop0p1");
  EXPECT_EQ(linuxPartitionName("nvme0n1", 1), "nvme0n1p1");
}

// The wait for the new partition's node wakes for a node that appears, for
// the caller's cancel, and at its deadline; it never sleeps in steps.
TEST(FormatCompositionTest, NodeWaitWakesForANewNodeACancelOrItsDeadline) {
  using Wake = helper::DeviceNodeWatch::Wake;
  using namespace std::chrono;
  QTemporaryDir dev;
  ASSERT_TRUE(dev.isValid());
  helper::DeviceNodeWatch watch(dev.path().toStdString());
  ASSERT_EQ(watch.failure(), "");
  const auto later = steady_clock::now() + seconds(10);
  std::ofstream(dev.filePath("sdz1").toStdString()) << "";
  EXPECT_EQ(watch.waitUntil(later, -1), Wake::changed);
  int cancel[2];
  ASSERT_EQ(pipe(cancel), 0);
  ASSERT_EQ(write(cancel[1], "cancel\n", 7), 7);
  EXPECT_EQ(watch.waitUntil(later, cancel[0]), Wake::other);
  close(cancel[0]);
  close(cancel[1]);
  const auto start = steady_clock::now();
  EXPECT_EQ(watch.waitUntil(start + milliseconds(50), -1), Wake::deadline);
  EXPECT_GE(steady_clock::now() - start, milliseconds(50));
}

TEST(FormatValidationTest, VolumeNameRulesOfMkfsFatAndNewfsMsdosSayWhatToChange) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/VolumeNames/names.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    const std::string name = test::unescaped(row.fields[0]).toStdString();
    EXPECT_EQ(text(refuseLinuxVolumeName(name)), test::unescaped(row.fields[1]).toStdString())
        << row.where.toStdString();
    EXPECT_EQ(text(refuseMacVolumeName(name)), test::unescaped(row.fields[2]).toStdString())
        << row.where.toStdString();
  }
  EXPECT_TRUE(MacDiskTools().validateFormat(request("/dev/disk4", "twelve chars", 4096)));
}

TEST(FormatValidationTest, ClusterSizesMustGiveAValidFat32AndTheMessageNamesThoseThatFit) {
  for (const test::DataRow& row :
       test::readDataRows(TESSARO_FIXTURES_DIR "/ClusterSizes/refusals.rows")) {
    const QStringList texts = test::textsOf(row.fields);
    const std::optional<int> clusterBytes =
        texts[0] == "default" ? std::nullopt : std::optional(texts[0].toInt());
    EXPECT_EQ(
        text(refuseClusterSize(clusterBytes, qint64(test::bytesOf(texts[1])), texts[2].toInt())),
        texts.value(3).toStdString())
        << row.where.toStdString();
  }
  const LinuxDiskTools tools;  // checks the drive's size before anything runs
  EXPECT_TRUE(tools.validateFormat(request("/dev/sdb", "x", 65536, 300 * kMiB)));
  const PartitionLayout layout = fat32PartitionLayout(300 * kMiB, 512);
  EXPECT_EQ(defaultClusterBytes(layout, 512), 4096);
}

// No size is computed from a sector size no drive has, however lsblk reports it.
TEST(FormatValidationTest, SectorSizesThatNoDriveHasAreRefusedAndSizesDoNotOverflow) {
  const std::string refusal =
      "The drive reports no usable logical sector size (a power of two from 512 to 65,536 "
      "bytes), so its partition cannot be sized; it is not formatted.";
  for (const int sectorBytes : {0, -512, 256, 1000, 131072, 1 << 30, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(sectorBytes);
    EXPECT_FALSE(isValidLogicalSectorSize(sectorBytes));
    EXPECT_EQ(text(refuseClusterSize(4096, 16 * kGiB, sectorBytes)), refusal);
    EXPECT_EQ(fat32PartitionLayout(16 * kGiB, sectorBytes).sectorCount, 0);
  }
  for (const int sectorBytes : {512, 1024, 4096, 65536}) {
    EXPECT_TRUE(isValidLogicalSectorSize(sectorBytes)) << sectorBytes;
  }
  // The largest drive a table can describe with the largest sectors, and
  // cluster sizes far beyond any option.
  const PartitionLayout huge = fat32PartitionLayout(std::numeric_limits<qint64>::max(), 65536);
  EXPECT_EQ(defaultClusterBytes(huge, 65536), 64 * 65536);
  EXPECT_EQ(plannedFat32Layout(huge, 65536, INT_MAX).clusters, 0);
  EXPECT_EQ(plannedFat32Layout(huge, 65536, 0).clusters, 0);
  EXPECT_TRUE(refuseClusterSize(INT_MAX, std::numeric_limits<qint64>::max(), 512));

  for (const test::DataRow& row : test::readDataRows(TESSARO_FIXTURES_DIR "/lsblk/log-sec.rows")) {
    const std::optional<int> size =
        lsblkLogicalSectorSize(QJsonDocument::fromJson(row.fields[0]).object());
    EXPECT_EQ(size ? QByteArray::number(*size) : "none", row.fields[1]) << row.where.toStdString();
  }
}

// The cluster rules against mkfs.fat itself: for each disk size and sector
// size, every cluster choice is accepted exactly when mkfs.fat, told what the
// helper tells it, makes a valid FAT32 of the partition, and the layout it
// makes is the planned one. (The fuzz target FormatRules does the same for
// any size.)
TEST(Fat32LayoutTest, ClusterRulesAcceptExactlyWhatMkfsFatMakesIntoAValidFat32) {
  if (test::systemMkfsFat().isEmpty()) GTEST_SKIP() << "mkfs.fat is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto disks = test::readDataRows(TESSARO_FIXTURES_DIR "/ClusterSizes/mkfs-disks.rows");
  ASSERT_GT(disks.size(), 10);
  for (const test::DataRow& disk : disks) {
    const qint64 diskBytes = qint64(test::bytesOf(QString::fromUtf8(disk.fields[0])));
    for (const int sectorBytes : {512, 4096}) {
      SCOPED_TRACE(disk.where.toStdString() + ", " + std::to_string(sectorBytes) +
                   "-byte sectors: " + disk.fields.value(1).toStdString());
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

// What a 300 MiB disk holds after a format (table, boot sector, root
// directory) and what fsck.fat 4.2 -v says of it.
FormatReadBack readBack() {
  FormatReadBack found;
  const auto put = [](std::string& bytes, int at, std::int64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = char(value >> (8 * i));
  };
  std::string mbr(512, '\0');
  put(mbr, 446 + 4, 0x0c, 1);  // the first entry: type c, from sector 2048, 612352 sectors
  put(mbr, 446 + 8, 2048, 4);
  put(mbr, 446 + 12, 612352, 4);
  put(mbr, 510, 0xAA55, 2);
  readMbr(mbr, found);
  readFsckVerbose(
      "fsck.fat 4.2 (2021-01-31)\n      4096 bytes per cluster\n"
      "     76383 data clusters (312864768 bytes)\n",
      found);
  std::string sector(512, '\0');
  put(sector, 11, 512, 2);   // bytes per sector
  put(sector, 13, 8, 1);     // sectors per cluster
  put(sector, 14, 4944, 2);  // reserved sectors: 2048 + 4944 + 2 * 600 = 8192, 4 MiB
  put(sector, 16, 2, 1);     // FATs
  put(sector, 28, 2048, 4);  // hidden sectors: where the partition starts
  put(sector, 36, 600, 4);   // sectors per FAT
  sector.replace(71, 19, "NO NAME    FAT32   ");
  put(sector, 510, 0xAA55, 2);
  readBootSector(sector, found);
  std::string root(4096, '\0');
  root.replace(0, 12, "MY USB     \x08");  // the volume label entry
  readFatVolume(sector, root, found);
  found.fsckClean = true;
  return found;
}

TEST(FormatVerificationTest, WhatTheToolsReadBackMatchesTheRequestOrEachDifferenceIsNamed) {
  FormatReadBack found = readBack();
  const FormatCheck check = verifyFormat({2048, "MY USB", 4096}, found);
  EXPECT_TRUE(check.verdict.matches);
  EXPECT_EQ(check.line,
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters: as asked.");
  EXPECT_TRUE(verifyFormat({2048, "MY USB", std::nullopt}, found).verdict.matches);
  EXPECT_TRUE(verifyFormat({2048, "MY USB", 4096, 612352}, found).verdict.matches);
  EXPECT_THAT(verifyFormat({2048, "MY USB", 4096, 612353}, found).line,
              EndsWith(": partition is not 612,353 sectors long."));
  // The boot sector says where its partition starts in the disk's own
  // sectors: 256 on a disk of 4096-byte sectors, not 2048 512-byte units.
  FormatReadBack hidden = found;
  hidden.hiddenSectors = 2048;
  EXPECT_THAT(verifyFormat({256, "MY USB", 4096}, hidden).line,
              HasSubstr("boot sector's hidden sectors are not 256"));
  // The data area's alignment, from the table and the boot sector.
  EXPECT_EQ(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, found).line,
            "Verified: dos table, partition type c at sector 2048; vfat FAT32, label \"MY USB\", "
            "4096-byte clusters, 76,383 clusters; data area aligned to 4 MiB: as asked.");
  // The same facts for the result event.
  const contract::FormatVerdict figures =
      verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, found).verdict;
  EXPECT_EQ(figures, (contract::FormatVerdict{true, "dos", "c", 2048, 612352, "FAT32", "MY USB",
                                              4096, 76383, 4 << 20, true}));
  FormatReadBack unaligned = found;
  unaligned.reservedSectors = 32;
  EXPECT_THAT(verifyFormat({2048, "MY USB", 4096, {}, 4 << 20}, unaligned).line,
              EndsWith(": data area is not aligned to 4 MiB."));
  EXPECT_THAT(verifyFormat({2048, "MY USB", 4096, {}, 4096}, unaligned).line,
              EndsWith("; data area aligned to the cluster (4096 bytes): as asked."));

  // The label as blkid reads it: the root directory's label entry, skipping
  // deleted and long-name entries; else the boot sector's; "NO NAME" is none.
  std::string boot(512, '\0');
  boot.replace(71, 19, "BOOT NAME  FAT32   ");
  boot[510] = char(0x55);
  boot[511] = char(0xAA);
  const std::string none(20, '\0');
  const std::pair<std::string, const char*> roots[] = {
      {std::string("\xE5LD NAME   \x08", 12) + none + std::string("LONG NAME  \x0F", 12) + none +
           std::string("ROOT NAME  \x08", 12) + none,
       "ROOT NAME"},
      {std::string("FILE    TXT\x20", 12) + none, "BOOT NAME"},
      {std::string("NO NAME    \x08", 12) + none, ""},
      {std::string(), "BOOT NAME"},
  };
  for (const auto& [root, label] : roots) {
    FormatReadBack volume;
    readFatVolume(boot, root, volume);
    EXPECT_EQ(volume.label, label);
    EXPECT_EQ(volume.fsVersion, "FAT32");
  }
  FormatReadBack noTable;
  readMbr(std::string(512, '\0'), noTable);
  EXPECT_EQ(noTable.partitionCount, 0);
  EXPECT_THAT(verifyFormat({2048, "MY USB", 4096}, noTable).line, HasSubstr("no MBR (dos) table"));

  found.clusterCount = 4783;
  found.fsckClean = false;
  const FormatCheck mismatch = verifyFormat({2048, "OTHER", 65536}, found);
  EXPECT_FALSE(mismatch.verdict.matches);
  EXPECT_THAT(mismatch.line, StartsWith("Verification failed: "));
  for (const char* part : {"label is not \"OTHER\"", "cluster size is not 65536 bytes",
                           "cluster count is outside", "fsck.fat reports errors"})
    EXPECT_THAT(mismatch.line, HasSubstr(part));

  // FAT32's own bounds on the cluster count, each side of them.
  FormatReadBack bounds = readBack();
  for (const auto& [clusters, fat32] : {std::pair{65524, false}, std::pair{65525, true},
                                        std::pair{268435445, true}, std::pair{268435446, false}}) {
    bounds.clusterCount = clusters;
    EXPECT_EQ(verifyFormat({2048, "MY USB", std::nullopt}, bounds).verdict.matches, fat32)
        << clusters;
  }
}

}  // namespace
