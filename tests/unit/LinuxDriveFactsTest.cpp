// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "drives/DriveFactsJson.h"
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
  const LsblkDevice disk = LsblkDevice::fromJson(QJsonDocument::fromJson(json.readAll()).object());
  const auto blkid = parseBlkidExport(
      "DEVNAME=/dev/sdb1\nLABEL_FATBOOT=MY\\ USB\nLABEL=MY\\ USB\nUUID=F9A0-E62E\n"
      "VERSION=FAT32\nBLOCK_SIZE=512\nTYPE=vfat\nUSAGE=filesystem\n");
  QByteArray bootSector(512, '\0');  // 512 bytes per sector, 64 sectors per cluster
  bootSector[12] = 2;
  bootSector[13] = 64;
  bootSector[510] = char(0x55);
  bootSector[511] = char(0xAA);
  DriveFacts facts;
  facts.disk = linuxDiskFacts(disk, "/nonexistent-sysfs");
  EXPECT_FALSE(disk.children.isEmpty());
  if (!disk.children.isEmpty())
    facts.partition = linuxPartitionFacts(disk.children.first(), blkid, bootSector);
  return facts;
}

}  // namespace

TEST(LinuxDriveFacts, UsbStickAndItsFat32PartitionReadLikeDiskutilsOwnAfterTheHelpersJson) {
  const DriveFacts facts = usbStickFacts();
  const DriveFacts readBack = DriveFactsJson::fromText(DriveFactsJson::toText(facts));
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
  EXPECT_EQ(infoReportLines(readBack, "sdb"), expected);
}

// The application reads what the root helper printed: anything but the
// helper's own document is refused as a whole, never shown in part.
TEST(LinuxDriveFacts, JsonThatIsNotTheHelpersDocumentIsRefused) {
  const QByteArray written = DriveFactsJson::toText(usbStickFacts());
  QStringList refused{"",
                      "no property list here",
                      "[]",
                      "null",
                      R"({"disk": 5})",
                      R"({"partition": null})",
                      R"({"disk": {}, "partition": null})"};
  // Cut short anywhere.
  for (qsizetype length : {1, 10, 100, int(written.size()) / 2, int(written.size()) - 3})
    refused << QString::fromUtf8(written.left(length));
  // One value changed into something the helper never writes.
  const struct {
    const char* from;
    const char* to;
  } changes[] = {
      {R"("totalSize": 30752636928)", R"("totalSize": -1)"},
      {R"("totalSize": 30752636928)", R"("totalSize": 1.5)"},
      {R"("totalSize": 30752636928)", R"("totalSize": 1e300)"},
      {R"("totalSize": 30752636928)", R"("totalSize": "30752636928")"},
      {R"("removable": true)", R"("removable": 1)"},
      {R"("model": "Ultra")", R"("model": ["Ultra"])"},
      {R"("mounted": true)", R"("mounted": false)"},
      {R"("deviceNode": "/dev/sdb1",)", ""},
  };
  for (const auto& change : changes) {
    const QString changed = QString::fromUtf8(written).replace(change.from, change.to);
    ASSERT_NE(changed, QString::fromUtf8(written)) << change.from;
    refused << changed;
  }
  for (const QString& text : refused) {
    try {
      DriveFactsJson::fromText(text);
      ADD_FAILURE() << "read: " << text.toStdString();
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), ErrorDomain::json);
      EXPECT_TRUE(error.description().startsWith("the drive's facts could not be read: "))
          << error.description().toStdString();
    }
  }
  // Without a partition, and with nothing known, it reads back as written.
  for (const DriveFacts& facts : {DriveFacts{}, DriveFacts{usbStickFacts().disk, std::nullopt}})
    EXPECT_EQ(DriveFactsJson::fromText(DriveFactsJson::toText(facts)), facts);
}
