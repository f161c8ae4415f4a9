#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Await.h"
#include "drives/CheckLine.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "drives/MacDiskTools.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/");
const QString kDiskutil = kFixtures + "PartitionLookup/diskutil";

// Repairs through a stand-in for pkexec that records its arguments and prints
// three chunks of check output.
class RepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    qputenv("TESSARO_TEST_RECORD", dir.filePath("argv").toLocal8Bit());
    runner.setElevationProgram(kFixtures + "Repair/elevate-and-print-chunks", true);
  }
  void TearDown() override { qunsetenv("TESSARO_TEST_RECORD"); }

  RepairResult repair(std::unique_ptr<DiskTools> tools, const QString& disk) {
    DiskManager manager(std::move(tools), runner);
    return test::awaitTask(manager.repair(disk));
  }
  QStringList recordedArguments() const {
    QFile file(dir.filePath("argv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }

  QTemporaryDir dir;
  ProcessRunner runner;
};

TEST_F(RepairTest, PartitionLineEchoLineThenTheToolsLinesAsTheyWereWritten) {
  const RepairResult result = repair(std::make_unique<MacDiskTools>(kDiskutil), "disk4");
  const QString line = macCheckLine("disk4s1", kDiskutil);
  EXPECT_EQ(result.log, QString("\u2139\uFE0F Using partition /dev/disk4s1 for repair\n") +
                            "$ sh -c \"" + line + "\"\n" +
                            "  ** /dev/rdisk4s1  \n** Phase 1\n\n"
                            "** Phase 2 - Check Cluster Chains\n"
                            "   \n");
  EXPECT_EQ(recordedArguments(), QStringList({"/bin/sh", "-c"}) + line.split('\n'));
}

TEST_F(RepairTest, FailedLookupChecksTheWholeDisk) {
  // macOS: unmount and mount the block device, check the raw one.
  RepairResult result = repair(std::make_unique<MacDiskTools>(kDiskutil), "disk9");
  EXPECT_TRUE(result.log.startsWith(
      QString("\u26A0\uFE0F No partition found, using whole disk /dev/disk9\n$ sh -c \"") +
      kDiskutil + " unmount /dev/disk9 &&\n/sbin/fsck_msdos -fy /dev/rdisk9 &&\n" + kDiskutil +
      " mount /dev/disk9\"\n"))
      << result.log.toStdString();

  // Linux: the helper's check verb on the disk; no udisksctl here to mount it again.
  result = repair(std::make_unique<LinuxDiskTools>(kFixtures + "PartitionLookup/lsblk", "/sys",
                                                   "/opt/tessaro-helper"),
                  "sdz");
  EXPECT_TRUE(
      result.log.startsWith("\u26A0\uFE0F No partition found, using whole disk /dev/sdz\n"
                            "$ /opt/tessaro-helper check sdz\n"))
      << result.log.toStdString();
  EXPECT_EQ(recordedArguments(), QStringList({"/opt/tessaro-helper", "check", "sdz"}));
  EXPECT_TRUE(result.log.endsWith("Not mounted: udisksctl (udisks2) is not installed.\n"));
}

TEST_F(RepairTest, RefusedAuthorizationReturnsNoText) {
  runner.setElevationProgram(kFixtures + "Repair/elevate-dismissed", true);
  EXPECT_THROW(repair(std::make_unique<MacDiskTools>(kDiskutil), "disk4"), Error);
}

}  // namespace
