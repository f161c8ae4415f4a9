#include <gtest/gtest.h>

#include <QFile>

#include "drives/InfoReport.h"
#include "drives/PropertyList.h"

using namespace tessaro;

namespace {

QString fixture(const char* name) {
  QFile file(QStringLiteral(TESSARO_FIXTURES_DIR "/InfoReport/") + QLatin1String(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(file.readAll());
}

QVariantMap fixtureDictionary(const char* name) { return parsePropertyList(fixture(name)).toMap(); }

class InfoReportTest : public ::testing::Test {
 protected:
  QVariantMap disk = fixtureDictionary("usb-stick-disk.plist");
  QVariantMap partition = fixtureDictionary("usb-stick-partition.plist");

  QStringList report() const {
    return infoReportLines(writeXmlPropertyList(disk) + writeXmlPropertyList(partition),
                           QStringLiteral("disk4"));
  }
};

TEST_F(InfoReportTest, TypicalUsbStickWithFat32Partition) {
  const QStringList lines = infoReportLines(
      fixture("usb-stick-disk.plist") + fixture("usb-stick-partition.plist"), "disk4");
  const QStringList expected{
      "Device: /dev/disk4",
      "Model: Ultra   Bus: USB",
      "Removable: Yes   Ejectable: Yes   Whole Disk: Yes",
      "Part of Whole: disk4",
      "Device Block Size: 512 Bytes",
      "Disk Size: 32.02 GB (32015679488 Bytes)",
      "",
      "Partition Info:",
      "Volume Name: MY USB",
      "Filesystem: MS-DOS (FAT32)",
      "Mounted: Yes   Mount Point: /Volumes/MY USB",
      "Filesystem Block Size: 32768 Bytes",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(InfoReportTest, FailedPartitionLookupGivesWholeDiskLinesOnly) {
  const QStringList lines = infoReportLines(fixture("usb-stick-disk.plist"), "disk4");
  ASSERT_EQ(lines.size(), 6);
  EXPECT_FALSE(lines.contains("Partition Info:"));
  EXPECT_FALSE(lines.contains(""));
}

TEST_F(InfoReportTest, ModelFallsBackToMediaNameThenToTheMark) {
  disk.remove("DeviceModel");
  EXPECT_EQ(report()[1], "Model: SanDisk Ultra Media   Bus: USB");
  disk.remove("MediaName");
  disk["BusProtocol"] = 7;  // a number reads as its decimal text
  EXPECT_EQ(report()[1], QString("Model: \u2014   Bus: 7"));
}

TEST_F(InfoReportTest, WholeDiskWithoutParentAndWithoutSizes) {
  disk.remove("ParentWholeDisk");
  disk["TotalSize"] = 0;
  disk.remove("DeviceBlockSize");
  disk["Removable"] = QStringLiteral("true");  // not a Boolean: reads as No
  const QStringList lines = report();
  EXPECT_EQ(lines[2], "Removable: No   Ejectable: Yes   Whole Disk: Yes");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines.filter("Part of Whole").size(), 0);
  EXPECT_EQ(lines.filter("Disk Size").size(), 0);
  EXPECT_EQ(lines.filter("Device Block Size").size(), 0);
}

TEST_F(InfoReportTest, EmptyDeviceNodeNamesTheDevicePath) {
  disk["DeviceNode"] = QString();
  EXPECT_EQ(report()[0], "Device: /dev/disk4");
  disk.remove("DeviceNode");
  EXPECT_EQ(report()[0], QString("Device: \u2014"));
}

TEST_F(InfoReportTest, PartitionWithoutMountPoint) {
  partition.remove("MountPoint");
  EXPECT_TRUE(report().contains(QString("Mounted: No   Mount Point: \u2014")));
}

TEST_F(InfoReportTest, FilesystemFallsBackToPersonalityThenIsLeftOut) {
  partition.remove("FilesystemName");
  EXPECT_TRUE(report().contains("Filesystem: MS-DOS FAT32"));
  partition.remove("FileSystemPersonality");
  EXPECT_TRUE(report().filter("Filesystem:").isEmpty());
  partition.remove("FilesystemBlockSize");
  EXPECT_EQ(report().last(), "Mounted: Yes   Mount Point: /Volumes/MY USB");
}

TEST_F(InfoReportTest, TextBeforeTheFirstDocumentBecomesADocumentOfItsOwn) {
  const QStringList lines = infoReportLines(
      "Password:\n" + writeXmlPropertyList(disk) + writeXmlPropertyList(partition), "disk4");
  // Nothing of the stray text reads, and the whole disk moves to the partition's place.
  const QStringList expected{
      QString("Device: \u2014"),
      QString("Model: \u2014   Bus: \u2014"),
      "Removable: No   Ejectable: No   Whole Disk: No",
      "",
      "Partition Info:",
      QString("Volume Name: \u2014"),
      QString("Mounted: No   Mount Point: \u2014"),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(InfoReportTest, DocumentThatIsNotAPropertyList) {
  EXPECT_TRUE(propertyListDictionary("<?xml version=\"1.0\"?><html></html>").isEmpty());
  EXPECT_TRUE(
      propertyListDictionary("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")
          .isEmpty());
  const QStringList lines =
      infoReportLines("<?xml Could not find disk: /dev/disk9", QStringLiteral("disk9"));
  EXPECT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QString("Device: \u2014"));
}

TEST_F(InfoReportTest, OutputWithoutDocumentsGivesNoLines) {
  EXPECT_TRUE(infoReportLines("", "disk4").isEmpty());
  EXPECT_TRUE(infoReportLines("Could not find disk: /dev/disk9\n", "disk9").isEmpty());
}

TEST_F(InfoReportTest, DisplayStringReadings) {
  const QVariantMap in{{"text", "abc"},
                       {"yes", true},
                       {"no", false},
                       {"big", qint64(1) << 40},
                       {"list", QVariantList{1}}};
  EXPECT_EQ(displayString(in, "text"), "abc");
  EXPECT_EQ(displayString(in, "yes"), "1");
  EXPECT_EQ(displayString(in, "no"), "0");
  EXPECT_EQ(displayString(in, "big"), "1099511627776");
  EXPECT_EQ(displayString(in, "list"), kMissingValueMark);
  EXPECT_EQ(displayString(in, "absent"), kMissingValueMark);
  EXPECT_EQ(displayString({}, "text"), kMissingValueMark);
}

}  // namespace
