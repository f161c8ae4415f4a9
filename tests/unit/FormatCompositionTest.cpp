#include <gtest/gtest.h>

#include "drives/FormatRequestRules.h"
#include "drives/LinuxDiskTools.h"
#include "drives/LinuxFormatLine.h"
#include "drives/MacDiskTools.h"
#include "drives/PartitionNaming.h"

using namespace tessaro;

namespace {

constexpr qint64 kGiB = 1024LL * 1024 * 1024;

FormatRequest request(const QString& device, const QString& label, std::optional<int> bytes,
                      qint64 size = 16 * kGiB) {
  Drive drive;
  drive.bsdName = device.mid(5);
  drive.devicePath = device;
  drive.size = size;
  return FormatRequest{drive, deriveVolumeName(label), bytes};
}

TEST(FormatCompositionTest, MacLineIsTheFourInvocationsOfTheWorkedExample) {
  const PrivilegedCommand command =
      MacDiskTools().formatCommand(request(QStringLiteral("/dev/disk4"), "My USB", 32768));
  EXPECT_EQ(command.commandLine,
            QStringLiteral("/usr/sbin/diskutil eraseDisk MS-DOS 'MY USB' MBRFormat /dev/disk4 && "
                           "/usr/sbin/diskutil unmount /dev/disk4s1 && /sbin/newfs_msdos -F 32 -b "
                           "32768 -v 'MY USB' /dev/rdisk4s1 && /usr/sbin/diskutil mount "
                           "/dev/disk4s1"));
  EXPECT_EQ(command.tool, QStringLiteral("/bin/sh"));
  EXPECT_EQ(command.args, (QStringList{QStringLiteral("-c"), command.commandLine}));
}

TEST(FormatCompositionTest, MacDefaultHasNoClusterOptionAndBlankLabelIsUntitled) {
  const QString line =
      MacDiskTools().formatCommand(request(QStringLiteral("/dev/disk4"), " \n ", {})).commandLine;
  EXPECT_TRUE(line.contains(QStringLiteral("/sbin/newfs_msdos -F 32 -v 'UNTITLED' /dev/rdisk4s1")));
  EXPECT_FALSE(line.contains(QStringLiteral("-b")));
}

TEST(FormatCompositionTest, VolumeNameIsUpperCasedUntrimmedAndApostrophesQuoted) {
  EXPECT_EQ(deriveVolumeName(QStringLiteral(" my usb ")), QStringLiteral(" MY USB "));
  EXPECT_EQ(deriveVolumeName(QStringLiteral("clé")), QStringLiteral("CLÉ"));
  EXPECT_EQ(deriveVolumeName(QString()), QStringLiteral("UNTITLED"));
  const QString line = MacDiskTools()
                           .formatCommand(request(QStringLiteral("/dev/disk4"), "o'neil", 4096))
                           .commandLine;
  EXPECT_TRUE(line.contains(QStringLiteral("-b 4096 -v 'O'\\''NEIL' /dev/rdisk4s1")));
}

TEST(FormatCompositionTest, LinuxRunsTheHelperWithTheDerivedRequest) {
  const LinuxDiskTools tools(QStringLiteral("/usr/bin/lsblk"), QStringLiteral("/sys"),
                             QStringLiteral("/opt/helper"));
  const PrivilegedCommand command =
      tools.formatCommand(request(QStringLiteral("/dev/sdb"), "My USB", {}));
  EXPECT_EQ(command.tool, QStringLiteral("/opt/helper"));
  EXPECT_EQ(command.args, (QStringList{"format", "/dev/sdb", "MY USB", "default"}));
}

TEST(FormatCompositionTest, LinuxShellLineClearsPartitionsThenDiskAndMakesOneFat32Partition) {
  LinuxFormatPlan plan;
  plan.diskPath = QStringLiteral("/dev/mmcblk0");
  plan.mountedDevices = {QStringLiteral("/dev/mmcblk0p1")};
  plan.partitionPaths = {QStringLiteral("/dev/mmcblk0p1")};
  plan.diskBytes = 16 * kGiB;
  plan.volumeName = QStringLiteral("O'NEIL");
  plan.clusterBytes = 32768;
  const QString line = linuxFormatShellLine(plan);
  const QStringList order{"/usr/bin/umount '/dev/mmcblk0p1'",
                          "wipefs --all '/dev/mmcblk0p1'",
                          "wipefs --all '/dev/mmcblk0'",
                          "'start=2048, type=c' | /usr/sbin/sfdisk",
                          "partx -u",
                          "[ -b '/dev/mmcblk0p1' ]",
                          "mkfs.fat -F 32 -s 64 -n 'O'\\''NEIL' '/dev/mmcblk0p1'"};
  qsizetype at = 0;
  for (const QString& step : order) {
    const qsizetype found = line.indexOf(step, at);
    EXPECT_GE(found, at) << step.toStdString() << " in " << line.toStdString();
    at = std::max(at, found);
  }
  EXPECT_FALSE(line.contains(QStringLiteral("udevadm")));
  EXPECT_TRUE(linuxFormatNotes(plan).isEmpty());

  plan.clusterBytes.reset();
  plan.udevadmPath = QStringLiteral("/usr/bin/udevadm");
  const QString defaultLine = linuxFormatShellLine(plan);
  EXPECT_FALSE(defaultLine.contains(QStringLiteral(" -s ")));
  EXPECT_TRUE(defaultLine.contains(QStringLiteral("&& /usr/bin/udevadm settle &&")));
}

TEST(FormatCompositionTest, DisksBeyondTheMbrLimitGetACappedPartitionAndANote) {
  LinuxFormatPlan plan;
  plan.diskPath = QStringLiteral("/dev/sdc");
  plan.diskBytes = 4096 * kGiB;
  plan.volumeName = QStringLiteral("BIG");
  EXPECT_TRUE(linuxFormatShellLine(plan).contains(QStringLiteral("size=4294965247, type=c")));
  EXPECT_EQ(linuxFormatNotes(plan).size(), 1);
  plan.logicalSectorSize = 4096;  // 4 KiB sectors reach 16 TiB
  EXPECT_TRUE(linuxFormatShellLine(plan).contains(QStringLiteral("'start=256, type=c'")));
  EXPECT_TRUE(linuxFormatNotes(plan).isEmpty());
}

TEST(FormatCompositionTest, PartitionNamesGetAPAfterADigit) {
  EXPECT_EQ(linuxFormatPartitionPath(QStringLiteral("/dev/sdb")), QStringLiteral("/dev/sdb1"));
  EXPECT_EQ(linuxFormatPartitionPath(QStringLiteral("/dev/loop0")), QStringLiteral("/dev/loop0p1"));
  EXPECT_EQ(linuxPartitionName(QStringLiteral("nvme0n1"), 1), QStringLiteral("nvme0n1p1"));
  EXPECT_EQ(linuxPartitionName(QStringLiteral("mmcblk0"), 1), QStringLiteral("mmcblk0p1"));
}

TEST(FormatValidationTest, LinuxVolumeNameRulesSayWhatToChange) {
  EXPECT_EQ(refuseLinuxVolumeName(QStringLiteral("MY USB")), std::nullopt);
  EXPECT_EQ(refuseLinuxVolumeName(QStringLiteral("ABCDEFGHIJKL")),
            QStringLiteral("The volume name \"ABCDEFGHIJKL\" is 12 characters long; FAT32 allows "
                           "at most 11."));
  EXPECT_EQ(refuseLinuxVolumeName(QStringLiteral("CLÉ")),
            QStringLiteral("The volume name may hold only printable ASCII characters; \"É\" is "
                           "not one."));
  for (const QChar c : QStringLiteral("*?.,;:/\\|+=<>[]\"")) {
    EXPECT_EQ(refuseLinuxVolumeName(QStringLiteral("A") + c),
              QStringLiteral("The volume name may not contain \"") + c +
                  QStringLiteral("\"; remove it."));
  }
  EXPECT_EQ(refuseLinuxVolumeName(QStringLiteral(" USB")),
            QStringLiteral("The volume name may not begin with a blank."));
}

TEST(FormatValidationTest, MacVolumeNameFollowsNewfsMsdos) {
  EXPECT_EQ(refuseMacVolumeName(QStringLiteral("CLÉ")), std::nullopt);  // 4 bytes
  EXPECT_TRUE(refuseMacVolumeName(QStringLiteral("ÉÉÉÉÉÉ"))->contains("12 bytes"));
  EXPECT_TRUE(refuseMacVolumeName(QStringLiteral("A?"))->contains("\"?\""));
  EXPECT_FALSE(refuseMacVolumeName(QStringLiteral("A=B")) == std::nullopt);
  EXPECT_TRUE(refuseMacVolumeName(QStringLiteral(" A")).has_value());
  const FormatRequest tooLong = request(QStringLiteral("/dev/disk4"), "twelve chars", 4096);
  EXPECT_TRUE(MacDiskTools().validateFormat(tooLong).has_value());
}

TEST(FormatValidationTest, ClusterSizesMustGiveAValidFat32AndTheMessageNamesThoseThatFit) {
  // 300 MiB: 65536-byte clusters give under 65,525 clusters.
  EXPECT_EQ(refuseClusterSize(65536, 300LL * 1024 * 1024, 512),
            QStringLiteral("A cluster size of 65536 bytes gives 4,783 clusters on this drive, but "
                           "FAT32 needs 65,525 to 268,435,445. Choose Default, 512, 1024, 2048 or "
                           "4096."));
  EXPECT_EQ(refuseClusterSize(4096, 300LL * 1024 * 1024, 512), std::nullopt);
  EXPECT_EQ(refuseClusterSize({}, 300LL * 1024 * 1024, 512), std::nullopt);
  // 2 TiB cut by the MBR: 512-byte clusters give too many.
  EXPECT_TRUE(refuseClusterSize(512, 2048 * kGiB, 512)->contains("Choose Default, 8192, 16384"));
  // Smaller than any FAT32.
  EXPECT_TRUE(refuseClusterSize({}, 20LL * 1024 * 1024, 512)->contains("too small for FAT32"));
  // A cluster smaller than a 4 KiB sector cannot be made.
  EXPECT_TRUE(refuseClusterSize(512, 16 * kGiB, 4096).has_value());
  // The window checks against the drive's size before anything runs.
  const LinuxDiskTools tools;
  EXPECT_TRUE(tools.validateFormat(request("/dev/sdb", "x", 65536, 300LL * 1024 * 1024)));
  EXPECT_FALSE(tools.validateFormat(request("/dev/sdb", "x", 4096, 300LL * 1024 * 1024)));
}

TEST(FormatValidationTest, EstimateIsCloseToWhatMkfsFatMade) {
  // mkfs.fat 4.2 made 76,383 clusters of 4096 bytes on a 300 MiB disk.
  const PartitionLayout layout = fat32PartitionLayout(300LL * 1024 * 1024, 512);
  EXPECT_EQ(layout.startSector, 2048);
  EXPECT_EQ(layout.sectorCount, 612352);
  EXPECT_NEAR(estimateFat32Clusters(layout, 512, 4096), 76383, 50);
  EXPECT_EQ(defaultClusterBytes(layout, 512), 4096);
}

}  // namespace
