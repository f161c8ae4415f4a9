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

QJsonObject usbStick() { return QJsonDocument::fromJson(kUsbStick).object(); }

QByteArray fatBootSector(int bytesPerSector, int sectorsPerCluster) {
  QByteArray sector(512, '\0');
  qToLittleEndian<quint16>(bytesPerSector, sector.data() + 11);
  sector[13] = static_cast<char>(sectorsPerCluster);
  sector[510] = char(0x55);
  sector[511] = char(0xAA);
  return sector;
}

TEST(InfoLinuxProperties, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwn) {
  const QJsonObject disk = usbStick();
  const QJsonObject partition = disk["children"].toArray()[0].toObject();
  const auto blkid = parseBlkidExport(
      "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
      "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n");
  EXPECT_EQ(blkid.value("LABEL"), "MY USB");

  const QString output = writeXmlPropertyList(linuxDiskProperties(disk, "/nonexistent-sysfs")) +
                         writeXmlPropertyList(linuxPartitionProperties(partition, "sdb", blkid,
                                                                       fatBootSector(512, 64)));
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

TEST(InfoLinuxProperties, UnknownValuesAreLeftOutSoTheReportShowsTheMark) {
  QJsonObject disk = usbStick();
  disk["model"] = QJsonValue::Null;
  disk["vendor"] = QJsonValue::Null;
  disk["tran"] = QJsonValue::Null;
  disk["subsystems"] = "block";
  const QVariantMap properties = linuxDiskProperties(disk, "/nonexistent-sysfs");
  EXPECT_FALSE(properties.contains("DeviceModel"));
  EXPECT_FALSE(properties.contains("MediaName"));
  EXPECT_FALSE(properties.contains("BusProtocol"));

  QJsonObject partition = disk["children"].toArray()[0].toObject();
  partition["mountpoints"] = QJsonArray{QJsonValue::Null};
  const QVariantMap unformatted = linuxPartitionProperties(partition, "sdb", {}, QByteArray());
  EXPECT_FALSE(unformatted.contains("MountPoint"));
  EXPECT_FALSE(unformatted.contains("FilesystemName"));
  EXPECT_FALSE(unformatted.contains("FilesystemBlockSize"));
  EXPECT_FALSE(unformatted.contains("VolumeName"));
}

TEST(InfoLinuxProperties, BusNamesAsUsersKnowThem) {
  EXPECT_EQ(busProtocolName("usb", "disk"), "USB");
  EXPECT_EQ(busProtocolName("sd", "disk"), "SD");
  EXPECT_EQ(busProtocolName("firewire", "disk"), "FireWire");
  EXPECT_EQ(busProtocolName("thunderbolt", "disk"), "Thunderbolt");
  EXPECT_EQ(busProtocolName("nvme", "disk"), "PCI-Express");
  EXPECT_EQ(busProtocolName("", "loop"), "Disk Image");
  EXPECT_EQ(busProtocolName("", "disk"), "");
}

TEST(InfoLinuxProperties, FileSystemNamesAndClusterSize) {
  EXPECT_EQ(filesystemName("vfat", "FAT32"), "MS-DOS (FAT32)");
  EXPECT_EQ(filesystemName("vfat", "FAT16"), "MS-DOS (FAT16)");
  EXPECT_EQ(filesystemName("exfat", "1.0"), "ExFAT");
  EXPECT_EQ(filesystemName("ext4", "1.0"), "ext4");
  EXPECT_EQ(filesystemName("", ""), "");

  EXPECT_EQ(fatClusterBytes(fatBootSector(512, 16)), 8192);
  EXPECT_EQ(fatClusterBytes(fatBootSector(4096, 1)), 4096);
  QByteArray unsigned_ = fatBootSector(512, 16);
  unsigned_[511] = 0;
  EXPECT_EQ(fatClusterBytes(unsigned_), std::nullopt);
  EXPECT_EQ(fatClusterBytes(fatBootSector(512, 3)), std::nullopt);
  EXPECT_EQ(fatClusterBytes(fatBootSector(0, 16)), std::nullopt);
  EXPECT_EQ(fatClusterBytes(QByteArray(100, '\0')), std::nullopt);
}

}  // namespace
