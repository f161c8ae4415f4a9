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

class RepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    qputenv("TESSARO_TEST_RECORD", record().toLocal8Bit());
    runner.setElevationProgram(kFixtures + "Repair/elevate-and-print-chunks", true);
  }
  void TearDown() override { qunsetenv("TESSARO_TEST_RECORD"); }

  QString record() const { return dir.filePath("argv"); }
  QStringList recordedArguments() const {
    QFile file(record());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }

  QTemporaryDir dir;
  ProcessRunner runner;
};

TEST(CheckLines, MacLinesAreTheSystemsOwn) {
  EXPECT_EQ(MacDiskTools().checkCommand("disk4s1").commandLine,
            "/usr/sbin/diskutil unmount /dev/disk4s1 &&\n"
            "/sbin/fsck_msdos -fy /dev/rdisk4s1 &&\n"
            "/usr/sbin/diskutil mount /dev/disk4s1");
  const PrivilegedCommand info = MacDiskTools().infoReportCommand("disk4", QString("disk4s1"));
  EXPECT_EQ(info.tool, "/bin/sh");
  EXPECT_EQ(info.args, QStringList({"-c", info.commandLine}));
  EXPECT_EQ(info.commandLine,
            "diskutil info -plist /dev/disk4 && diskutil info -plist /dev/disk4s1");
  EXPECT_EQ(MacDiskTools().infoReportCommand("disk4", std::nullopt).commandLine,
            "diskutil info -plist /dev/disk4");
}

TEST(CheckLines, LinuxGoesThroughTheHelperWhichRunsTheLineShown) {
  const LinuxDiskTools linux("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  const PrivilegedCommand check = linux.checkCommand("mmcblk0p1");
  EXPECT_EQ(check.tool, "/opt/tessaro-helper");
  EXPECT_EQ(check.args, QStringList({"check", "/dev/mmcblk0p1"}));
  EXPECT_EQ(check.commandLine, linuxCheckLine("/dev/mmcblk0p1"));
  EXPECT_TRUE(check.commandLine.contains("fsck.fat -a -w -v /dev/mmcblk0p1"));
  EXPECT_EQ(linux.infoReportCommand("sdb", QString("sdb1")).args,
            QStringList({"info", "/dev/sdb", "/dev/sdb1"}));
  EXPECT_EQ(linux.infoReportCommand("sdb", std::nullopt).args, QStringList({"info", "/dev/sdb"}));
}

TEST(CheckLines, OnlyCleanOrRepairedCountsAsConsistent) {
  EXPECT_TRUE(checkLeftFileSystemConsistent(0));
  EXPECT_TRUE(checkLeftFileSystemConsistent(1));
  EXPECT_FALSE(checkLeftFileSystemConsistent(4));
  EXPECT_FALSE(checkLeftFileSystemConsistent(32));  // umount failed
  EXPECT_FALSE(checkLeftFileSystemConsistent(65));  // the helper refused the device
  EXPECT_TRUE(checkLeftFileSystemConsistent(std::nullopt));
}

TEST_F(RepairTest, PartitionLineEchoLineThenOneTrimmedLinePerChunk) {
  DiskManager manager(std::make_unique<MacDiskTools>(kDiskutil), runner);
  const RepairResult result = test::awaitTask(manager.repair("disk4"));
  const QString line = macCheckLine("disk4s1", kDiskutil);
  EXPECT_EQ(result.log, QString("\u2139\uFE0F Using partition /dev/disk4s1 for repair\n") +
                            "$ sh -c \"" + line + "\"\n" +
                            "** /dev/rdisk4s1  \n** Phase 1\n"
                            "** Phase 2 - Check Cluster Chains\n"
                            "\n");
  EXPECT_EQ(result.target, "/dev/disk4s1");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(recordedArguments(), QStringList({"/bin/sh", "-c"}) + line.split('\n'));
}

TEST_F(RepairTest, FailedLookupChecksTheWholeDiskOnItsRawDevice) {
  DiskManager manager(std::make_unique<MacDiskTools>(kDiskutil), runner);
  const RepairResult result = test::awaitTask(manager.repair("disk9"));
  EXPECT_TRUE(result.log.startsWith(
      QString("\u26A0\uFE0F No partition found, using whole disk /dev/disk9\n$ sh -c \"")));
  EXPECT_TRUE(result.log.contains(kDiskutil +
                                  " unmount /dev/disk9 &&\n"
                                  "/sbin/fsck_msdos -fy /dev/rdisk9 &&\n" +
                                  kDiskutil + " mount /dev/disk9\"\n"));
  EXPECT_EQ(result.target, "/dev/disk9");
}

TEST_F(RepairTest, LinuxFallbackUsesTheDiskAndTheHelpersCheckVerb) {
  DiskManager manager(std::make_unique<LinuxDiskTools>(kFixtures + "PartitionLookup/lsblk", "/sys",
                                                       "/opt/tessaro-helper"),
                      runner);
  const RepairResult result = test::awaitTask(manager.repair("sdz"));
  EXPECT_TRUE(result.log.startsWith(
      QString("\u26A0\uFE0F No partition found, using whole disk /dev/sdz\n$ sh -c \"") +
      linuxCheckLine("/dev/sdz") + "\"\n"));
  EXPECT_EQ(recordedArguments(), QStringList({"/opt/tessaro-helper", "check", "/dev/sdz"}));
  // No udisksctl on a test machine: the log says so instead of mounting.
  EXPECT_TRUE(result.log.endsWith("Not mounted: udisksctl (udisks2) is not installed.\n"));
}

TEST_F(RepairTest, RefusedAuthorizationReturnsNoText) {
  runner.setElevationProgram(kFixtures + "Repair/elevate-dismissed", true);
  DiskManager manager(std::make_unique<MacDiskTools>(kDiskutil), runner);
  try {
    test::awaitTask(manager.repair("disk4"));
    FAIL() << "repair returned text";
  } catch (const Error& error) {
    EXPECT_EQ(error.description(), "Authorization failed (126)");
  }
}

}  // namespace
