// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

#include "drives/DriveFactsJson.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkJson.h"
#include "exec/Error.h"
#include "helper/info/LinuxDriveFacts.h"
#include "jobs/InfoReport.h"

using namespace tessaro;

namespace {

// A USB stick and its FAT32 partition as the helper reads them.
DriveFacts usbStickFacts() {
  // As util-linux 2.38 prints it.
  QFile json(TESSARO_FIXTURES_DIR "/InfoReport/usb-stick-lsblk.json");
  EXPECT_TRUE(json.open(QIODevice::ReadOnly));
  const LsblkDevice disk = LsblkJson::fromJson(QJsonDocument::fromJson(json.readAll()).object());
  const auto blkid = parseBlkidExport(
      "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
      "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n");
  std::string bootSector(512, '\0');  // 512 bytes per sector, 64 sectors per cluster
  bootSector[12] = 2;
  bootSector[13] = 64;
  bootSector[510] = char(0x55);
  bootSector[511] = char(0xAA);
  DriveFacts facts;
  facts.disk = linuxDiskFacts(disk, "/nonexistent-sysfs");
  EXPECT_FALSE(disk.children.empty());
  if (!disk.children.empty())
    facts.partition = linuxPartitionFacts(disk.children.front(), blkid, bootSector);
  return facts;
}

// The facts as the application reads them from a line where the helper's
// result event goes; raises Error as it does.
DriveFacts readFrom(const std::string& line) {
  const LinuxDiskTools tools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  return tools.parseDriveFacts({}, contract::HelperEvent::fromLine(line)).value();
}

DriveFacts toldAndRead(const DriveFacts& facts) {
  return readFrom(DriveFactsJson::event(facts).line());
}

}  // namespace

TEST(LinuxDriveFacts, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwnAfterTheHelpersEvent) {
  const DriveFacts facts = usbStickFacts();
  const DriveFacts readBack = toldAndRead(facts);
  EXPECT_EQ(readBack, facts);
  const QStringList expected{
      "Device: /dev/sdb",
      "Model: Ultra   Bus: USB",
      "Removable: Yes   Ejectable: Yes   Whole Disk: Yes",
      "Part of Whole: sdb",
      "Device Block Size: 512 Bytes",
      "Disk Size: 30.75 GB (30752636928 Bytes)",
      "",
      "Partition Info:",
      "Volume Name: MY USB",
      "Filesystem: MS-DOS (FAT32)",
      "Mounted: Yes   Mount Point: /media/alice/MY USB",
      "Filesystem Block Size: 32768 Bytes",
  };
  EXPECT_EQ(infoReportLines(readBack), expected);
  // Without a partition, and with nothing known, it reads back as written.
  for (const DriveFacts& told : {DriveFacts{}, DriveFacts{{facts.disk, std::nullopt}}})
    EXPECT_EQ(toldAndRead(told), told);
}

// The application reads what the root helper told: anything but the info
// verb's own result event is refused as a whole, never shown in part.
TEST(LinuxDriveFacts, LinesThatAreNotTheHelpersResultAreRefused) {
  QFile file(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-info-lines.txt");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  int rows = 0;
  for (const QByteArray& bytes : file.readAll().split('\n')) {
    const QString line = QString::fromUtf8(bytes);
    if (line.isEmpty() || line.startsWith('#')) continue;
    ++rows;
    try {
      readFrom(line.toStdString());
      ADD_FAILURE() << "read: " << line.toStdString();
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), ErrorDomain::json);
      EXPECT_TRUE(error.description().startsWith("the drive's facts could not be read: "))
          << error.description().toStdString();
    }
  }
  EXPECT_GT(rows, 20);
}
