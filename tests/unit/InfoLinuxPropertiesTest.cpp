// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "drives/InfoReport.h"
#include "drives/linux/LinuxInfoProperties.h"
#include "drives/mac/PropertyList.h"

using namespace tessaro;

namespace {

TEST(InfoLinuxProperties, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwn) {
  // A USB stick as util-linux 2.38 prints it with the info columns.
  QFile json(TESSARO_FIXTURES_DIR "/InfoReport/usb-stick-lsblk.json");
  ASSERT_TRUE(json.open(QIODevice::ReadOnly));
  const QJsonObject disk = QJsonDocument::fromJson(json.readAll()).object();
  const auto blkid = parseBlkidExport(
      "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
      "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n");
  QByteArray bootSector(512, '\0');  // 512 bytes per sector, 64 sectors per cluster
  bootSector[12] = 2;
  bootSector[13] = 64;
  bootSector[510] = char(0x55);
  bootSector[511] = char(0xAA);

  const QJsonObject partition = disk["children"].toArray()[0].toObject();
  const QString output =
      writeXmlPropertyList(linuxDiskProperties(disk, "/nonexistent-sysfs")) +
      writeXmlPropertyList(linuxPartitionProperties(partition, "sdb", blkid, bootSector));
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
  EXPECT_EQ(infoReportLines(output, "sdb"), expected);
}

}  // namespace
