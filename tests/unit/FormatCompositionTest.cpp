// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

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

using namespace tessaro;

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
std::string text(const std::optional<QString>& refusal) {
  return refusal.value_or(QString()).toStdString();
}
std::string text(const std::optional<std::string>& refusal) { return refusal.value_or(""); }
std::string text(const QString& refusal) { return refusal.toStdString(); }

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
  ASSERT_GT(rows.size(), 8);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    const std::string name = test::unescaped(row.fields[0]).toStdString();
    EXPECT_EQ(text(refuseLinuxVolumeName(name)), test::unescaped(row.fields[1]).toStdString())
        << row.where.toStdString();
    EXPECT_EQ(text(refuseMacVolumeName(name)), test::unescaped(row.fields[2]).toStdString())
        << row.where.toStdString();
  }
  for (const char c : std::string(R"(*?.,;:/\|+=<>[]")")) {
    const std::string refusal =
        "The volume name may not contain \"" + std::string(1, c) + "\"; remove it.";
    EXPECT_EQ(refuseLinuxVolumeName("A" + std::string(1, c)), refusal);
    EXPECT_EQ(refuseMacVolumeName("A" + std::string(1, c)), refusal);
  }
  EXPECT_TRUE(MacDiskTools().validateFormat(request("/dev/disk4", "twelve chars", 4096)));
}

TEST(FormatValidationTest, ClusterSizesMustGiveAValidFat32AndTheMessageNamesThoseThatFit) {
  const QString range = " clusters on this drive, but FAT32 needs 65,525 to 268,435,445.";
  // Cluster bytes, disk bytes, sector bytes, the refusal (empty: accepted).
  const std::tuple<std::optional<int>, qint64, int, QString> cases[] = {
      {65536, 300 * kMiB, 512,
       "A cluster size of 65536 bytes gives 4,780" + range +
           " Choose Default, 512, 1024, 2048 or 4096."},
      {4096, 300 * kMiB, 512, ""},
      {std::nullopt, 300 * kMiB, 512, ""},
      {512, 2048 * kGiB, 512,
       "A cluster size of 512 bytes gives 4,228,888,793" + range +
           " Choose Default, 8192, 16384, 32768 or 65536."},
      {std::nullopt, 20 * kMiB, 512,
       "The default cluster size (512 bytes) gives 38,280" + range +
           " No cluster size fits: the drive is too small for FAT32."},
      {512, 16 * kGiB, 4096,
       "A cluster size of 512 bytes gives 0" + range +
           " Choose Default, 4096, 8192, 16384, 32768 or 65536."},
      // Sizes the window never offers, whatever the disk.
      {1536, 300 * kMiB, 512,
       "A cluster size of 1536 bytes is not offered: choose a power of two from 512 to 65536."},
      {131072, 2048 * kGiB, 512,
       "A cluster size of 131072 bytes is not offered: choose a power of two from 512 to "
       "65536."},
  };
  for (const auto& [clusterBytes, diskBytes, sectorBytes, refusal] : cases) {
    SCOPED_TRACE(diskBytes);
    EXPECT_EQ(text(refuseClusterSize(clusterBytes, diskBytes, sectorBytes)), text(refusal));
  }
  const LinuxDiskTools tools;  // checks the drive's size before anything runs
  EXPECT_TRUE(tools.validateFormat(request("/dev/sdb", "x", 65536, 300 * kMiB)));
  const PartitionLayout layout = fat32PartitionLayout(300 * kMiB, 512);
  EXPECT_EQ(defaultClusterBytes(layout, 512), 4096);
}

// No size is computed from a sector size no drive has, however lsblk reports it.
TEST(FormatValidationTest, SectorSizesThatNoDriveHasAreRefusedAndSizesDoNotOverflow) {
  const QString refusal =
      "The drive reports no usable logical sector size (a power of two from 512 to 65,536 "
      "bytes), so its partition cannot be sized; it is not formatted.";
  for (const int sectorBytes : {0, -512, 256, 1000, 131072, 1 << 30, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(sectorBytes);
    EXPECT_FALSE(isValidLogicalSectorSize(sectorBytes));
    EXPECT_EQ(text(refuseClusterSize(4096, 16 * kGiB, sectorBytes)), text(refusal));
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

  const std::pair<const char*, std::optional<int>> records[] = {
      {R"({"name":"sdb"})", 512},
      {R"({"log-sec":4096})", 4096},
      {R"({"log-sec":"512"})", 512},  // older util-linux prints numbers as text
      {R"({"log-sec":1000})", std::nullopt},
      {R"({"log-sec":4294967808})", std::nullopt},  // 2^32 + 512 would wrap to 512
      {R"({"log-sec":512.5})", std::nullopt},
      {R"({"log-sec":"4k"})", std::nullopt},
      {R"({"log-sec":true})", std::nullopt},
  };
  for (const auto& [json, expected] : records) {
    EXPECT_EQ(lsblkLogicalSectorSize(QJsonDocument::fromJson(json).object()), expected) << json;
  }
}

}  // namespace
