#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include "drives/InfoReport.h"
#include "drives/LinuxInfoProperties.h"
#include "drives/PropertyList.h"

using namespace tessaro;

namespace {

// A USB stick as util-linux 2.38 prints it with the info columns.
const char* kUsbStick = R"({
  "name": "sdb", "path": "/dev/sdb", "type": "disk", "size": 30752636928, "log-sec": 512,
  "rm": true, "hotplug": true, "tran": "usb", "subsystems": "block:scsi:usb:pci",
  "vendor": "SanDisk ", "model": "Ultra           ", "mountpoints": [null],
  "children": [
    {"name": "sdb1", "path": "/dev/sdb1", "type": "part", "size": 30751588352, "log-sec": 512,
     "rm": true, "hotplug": true, "tran": null, "subsystems": "block:scsi:usb:pci",
     "vendor": null, "model": null, "mountpoints": ["/media/alice/MY USB"]}
  ]})";
const char* kFat32Blkid =
    "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
    "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n";

const char* kMounted = "Mounted: Yes   Mount Point: /media/alice/MY USB";

QByteArray fatBootSector(int bytesPerSector, int sectorsPerCluster) {
  QByteArray sector(512, '\0');
  qToLittleEndian<quint16>(bytesPerSector, sector.data() + 11);
  sector[13] = static_cast<char>(sectorsPerCluster);
  sector[510] = char(0x55);
  sector[511] = char(0xAA);
  return sector;
}

QStringList report(const QJsonObject& disk, const QByteArray& blkid, const QByteArray& boot) {
  const QJsonObject partition = disk["children"].toArray()[0].toObject();
  return infoReportLines(writeXmlPropertyList(linuxDiskProperties(disk, "/nonexistent-sysfs")) +
                             writeXmlPropertyList(linuxPartitionProperties(
                                 partition, "sdb", parseBlkidExport(blkid), boot)),
                         "sdb");
}

TEST(InfoLinuxProperties, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwn) {
  const QJsonObject disk = QJsonDocument::fromJson(kUsbStick).object();
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
      kMounted,
      "Filesystem Block Size: 32768 Bytes",
  };
  EXPECT_EQ(report(disk, kFat32Blkid, fatBootSector(512, 64)), expected);
}

TEST(InfoLinuxProperties, UnknownValuesShowTheMarkAndABadBootSectorNoClusterSize) {
  QJsonObject disk = QJsonDocument::fromJson(kUsbStick).object();
  for (const char* key : {"model", "vendor", "tran"}) disk[key] = QJsonValue::Null;
  disk["subsystems"] = "block";
  const QString mark = kMissingValueMark;
  const QStringList unformatted = report(disk, {}, {});
  EXPECT_EQ(unformatted[1], "Model: " + mark + "   Bus: " + mark);
  EXPECT_EQ(unformatted.mid(8), QStringList({"Volume Name: " + mark, kMounted}));

  QByteArray unsigned_ = fatBootSector(512, 16);
  unsigned_[511] = 0;
  for (const QByteArray& boot : {unsigned_, fatBootSector(512, 3), fatBootSector(0, 16),
                                 fatBootSector(8192, 1), QByteArray(100, '\0')}) {
    EXPECT_EQ(report(disk, kFat32Blkid, boot).last(), kMounted);
  }
}

}  // namespace
