// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "JobFixture.h"
#include "drives/CheckLine.h"
#include "drives/DriveFactsJson.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "jobs/CheckJob.h"
#include "jobs/InfoJob.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

const QString kDiskutil = kFixtures + "PartitionLookup/diskutil";

MacDiskTools mac() { return MacDiskTools(kDiskutil); }
// Its lsblk stand-in knows mmcblk0 (first partition mmcblk0p1) and no other disk.
LinuxDiskTools linux() {
  return LinuxDiskTools(kFixtures + "PartitionLookup/lsblk", "/sys", "/opt/tessaro-helper");
}
const Drive kDisk4{{}, "disk4", "/dev/disk4", "32 GB Ultra (disk4)"};
const Drive kSdz{{}, "sdz", "/dev/sdz", "Stick (sdz)"};
const Drive kMmc{{}, "mmcblk0", "/dev/mmcblk0", "SD card (mmcblk0)"};

using CheckJobTest = JobFixture;
using InfoJobTest = JobFixture;

}  // namespace

// The account in one piece: the partition, the command line, the tools' lines
// as they wrote them, and a line break before the outcome.
TEST_F(CheckJobTest, PartitionLineCommandLineThenOneTrimmedLinePerChunk) {
  elevateWith("Repair/elevate-and-print-chunks");
  const MacDiskTools tools = mac();
  CheckJob job(tools, runner, kDisk4);
  const QString line = macCheckLine("disk4s1", kDiskutil);
  EXPECT_EQ(mergedReportOf(job),
            QStringList({"started: Running disk checking operation on /dev/disk4...",
                         "lines: \u2139\uFE0F Using partition /dev/disk4s1 for repair\n"
                         "$ sh -c \"" +
                             line +
                             "\"\n"
                             "  ** /dev/rdisk4s1  \n** Phase 1\n\n"
                             "** Phase 2 - Check Cluster Chains\n"
                             "   \n",
                         "succeeded: \u2705 Check complete.", "finished"}));
  EXPECT_EQ(ranArguments(), QStringList({"/bin/sh", "-c"}) + line.split('\n'));
}

TEST_F(CheckJobTest, FailedLookupChecksTheWholeDisk) {
  // macOS: unmount and mount the block device, check the raw one.
  const MacDiskTools macTools = mac();
  CheckJob onMac(macTools, runner, Drive{{}, "disk9", "/dev/disk9", "disk9"});
  EXPECT_TRUE(mergedReportOf(onMac).value(1).startsWith(
      "lines: \u26A0\uFE0F No partition found, using whole disk /dev/disk9\n$ sh -c \"" +
      kDiskutil + " unmount /dev/disk9 &&\n/sbin/fsck_msdos -fy /dev/rdisk9 &&\n" + kDiskutil +
      " mount /dev/disk9\"\n"));

  // Linux: the helper's check verb on the disk; no udisksctl here to mount it again.
  say("fsck.fat 4.2\n/dev/sdz: 0 files\n", 1);
  const LinuxDiskTools linuxTools = linux();
  CheckJob onLinux(linuxTools, runner, kSdz);
  const QStringList calls = mergedReportOf(onLinux);
  EXPECT_EQ(calls.value(1),
            "lines: \u26A0\uFE0F No partition found, using whole disk /dev/sdz\n"
            "$ /opt/tessaro-helper check sdz\n"
            "fsck.fat 4.2\n/dev/sdz: 0 files\n"
            "Not mounted: udisksctl (udisks2) is not installed.\n\n"
            "Errors were found and corrected.");
  EXPECT_EQ(calls.value(2), "succeeded: \u2705 Check complete.");
  EXPECT_EQ(onLinux.finding(), CheckFinding::errorsCorrected) << "1: errors fixed";
  EXPECT_EQ(ranArguments(), QStringList{"/opt/tessaro-helper"} +
                                linuxTools.checkCommand("sdz", CheckMode::repair).args);
}

// A partition the caller has just listed is checked without a lookup of its
// own (the stand-in lsblk knows no sdz).
TEST_F(CheckJobTest, AListedPartitionIsCheckedWithoutALookup) {
  say("fsck.fat 4.2\n", 0);
  const LinuxDiskTools tools = linux();
  CheckJob job(tools, runner, kSdz, CheckMode::repair, QString("sdz1"));
  EXPECT_EQ(mergedReportOf(job).value(1),
            "lines: \u2139\uFE0F Using partition /dev/sdz1 for repair\n"
            "$ /opt/tessaro-helper check sdz1\nfsck.fat 4.2\n"
            "Not mounted: udisksctl (udisks2) is not installed.\n\n"
            "No errors were found.");
  EXPECT_EQ(ranArguments(), QStringList{"/opt/tessaro-helper"} +
                                tools.checkCommand("sdz1", CheckMode::repair).args);
}

// What the tools said is shown, then why the check failed; nothing is mounted.
TEST_F(CheckJobTest, ErrorsLeftEndInOneErrorLine) {
  const LinuxDiskTools tools = linux();
  say("Dirty bit is set.\n", 4);
  CheckJob left(tools, runner, kMmc);
  QStringList calls = mergedReportOf(left);
  ASSERT_EQ(calls.size(), 4) << calls.join('|').toStdString();
  EXPECT_TRUE(calls[1].endsWith("\nDirty bit is set.\n")) << calls[1].toStdString();
  EXPECT_FALSE(calls[1].contains("Not mounted"));
  EXPECT_EQ(calls[2],
            "failed: \u274C Error: Errors were found on /dev/mmcblk0p1 and not all of them could "
            "be corrected; copy what you need from it and format it.");
  EXPECT_EQ(left.failure()->kind, JobFailure::Kind::errorsLeft);
}

TEST_F(InfoJobTest, HelperRefusalAndEmptyOutput) {
  const LinuxDiskTools tools = linux();
  const QString refused =
      "failed: \u274C Error: Reading info failed on /dev/sdz: the drive is not one Tessaro may "
      "change";
  DriveFacts facts;
  facts.disk.model = "Stick";
  facts.disk.removable = facts.disk.wholeDisk = true;
  const QByteArray told = QByteArray::fromStdString(DriveFactsJson::event(facts).line()) + '\n';
  // clang-format off
  const struct {
    QByteArray said;
    int status;
    QStringList middle;
  } rows[] = {
      // The helper's own words, then which drive and why.
      {"Refused: sdz is not an external or removable drive.\n", 65,
       {"lines: Refused: sdz is not an external or removable drive.", refused}},
      {"", 65, {refused}},
      // Ended well but told no facts, or told them twice: that is no report.
      {"no facts here", 0,
       {"failed: \u274C Error: Reading info failed on /dev/sdz: the drive's facts could not be "
        "read: the helper told none"}},
      {told + told, 0,
       {"failed: \u274C Error: Reading info failed on /dev/sdz: the drive's facts could not be "
        "read: the helper told them 2 times"}},
      // The facts of its result event, the disk's own path where it gave none.
      {told, 0, {"lines: Device: /dev/sdz\nModel: Stick   Bus: \u2014\n"
                 "Removable: Yes   Ejectable: No   Whole Disk: Yes"}},
  };
  // clang-format on
  for (const auto& [said, status, middle] : rows) {
    say(said, status);
    InfoJob job(tools, runner, kSdz);
    EXPECT_EQ(reportOf(job), QStringList{"started: Reading info for /dev/sdz..."} + middle +
                                 QStringList{"finished"})
        << said.toStdString();
    EXPECT_EQ(ranArguments(),
              QStringList{"/opt/tessaro-helper"} + tools.infoReportCommand("sdz", {}).args);
  }
}
