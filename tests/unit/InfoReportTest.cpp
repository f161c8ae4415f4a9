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

QString diskText() { return fixture("usb-stick-disk.plist"); }
QString partitionText() { return fixture("usb-stick-partition.plist"); }
const QString kMark = QStringLiteral("\u2014");

TEST(InfoReport, TypicalUsbStickWithItsFat32PartitionAndWithoutIt) {
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
  EXPECT_EQ(infoReportLines(diskText() + partitionText(), "disk4"), expected);
  // A failed partition lookup leaves the whole disk alone.
  EXPECT_EQ(infoReportLines(diskText(), "disk4"), expected.mid(0, 6));
}

TEST(InfoReport, MissingValuesFallBackOrLeaveTheirLineOut) {
  using Edit = std::function<void(QVariantMap & disk, QVariantMap & partition)>;
  const struct {
    Edit edit;
    QString shown;    // a line the report then has
    QString missing;  // text no line then has
  } rows[] = {
      {[](auto& d, auto&) { d.remove("DeviceModel"); }, "Model: SanDisk Ultra Media   Bus: USB"},
      {[](auto& d, auto&) { d["DeviceNode"] = ""; }, "Device: /dev/disk4"},
      {[](auto& d, auto&) { d.remove("ParentWholeDisk"); }, "", "Part of Whole"},
      {[](auto& d, auto&) { d["TotalSize"] = 0; }, "Device Block Size: 512 Bytes", "Disk Size"},
      {[](auto&, auto& p) { p.remove("MountPoint"); }, "Mounted: No   Mount Point: " + kMark},
      {[](auto&, auto& p) { p.remove("FilesystemName"); }, "Filesystem: MS-DOS FAT32"},
      {[](auto&, auto& p) {
         p.remove("FilesystemName");
         p.remove("FileSystemPersonality");
       },
       "Filesystem Block Size: 32768 Bytes", "Filesystem:"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE((row.shown + row.missing).toStdString());
    QVariantMap disk = parsePropertyList(diskText()).toMap();
    QVariantMap partition = parsePropertyList(partitionText()).toMap();
    row.edit(disk, partition);
    const QStringList lines =
        infoReportLines(writeXmlPropertyList(disk) + writeXmlPropertyList(partition), "disk4");
    if (!row.shown.isEmpty())
      EXPECT_TRUE(lines.contains(row.shown)) << lines.join('\n').toStdString();
    if (!row.missing.isEmpty()) EXPECT_TRUE(lines.filter(row.missing).isEmpty());
  }
}

TEST(InfoReport, StrayTextAndDocumentsThatAreNotPropertyLists) {
  // Text in front of the first document is a document of its own, in the disk's place.
  EXPECT_EQ(infoReportLines("Password:\n" + diskText() + partitionText(), "disk4"),
            QStringList({"Device: " + kMark, "Model: " + kMark + "   Bus: " + kMark,
                         "Removable: No   Ejectable: No   Whole Disk: No", "", "Partition Info:",
                         "Volume Name: " + kMark, "Mounted: No   Mount Point: " + kMark}));
  for (const QString& notAList : {QString("<?xml Could not find disk: /dev/disk9"),
                                  QString(R"(<?xml version="1.0"?><html></html>)")}) {
    EXPECT_EQ(infoReportLines(notAList, "disk9"),
              QStringList({"Device: " + kMark, "Model: " + kMark + "   Bus: " + kMark,
                           "Removable: No   Ejectable: No   Whole Disk: No"}));
  }
  EXPECT_TRUE(infoReportLines("Could not find disk: /dev/disk9\n", "disk9").isEmpty());
}

}  // namespace
