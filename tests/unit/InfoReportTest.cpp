// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "drives/mac/PropertyListFacts.h"
#include "jobs/InfoReport.h"

using namespace tessaro;

namespace {

QString fixture(const char* name) {
  QFile file(QStringLiteral(TESSARO_FIXTURES_DIR "/InfoReport/") + QLatin1String(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(file.readAll());
}

// The report of diskutil's output, as the macOS tools read it.
QStringList reportOf(const QString& output) {
  const auto facts = driveFactsFromPropertyLists(output);
  return facts ? infoReportLines(*facts) : QStringList();
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
  EXPECT_EQ(reportOf(diskText() + partitionText()), expected);
  // A failed partition lookup leaves the whole disk alone.
  EXPECT_EQ(reportOf(diskText()), expected.mid(0, 6));
}

TEST(InfoReport, MissingValuesFallBackOrLeaveTheirLineOut) {
  const QString gone = "<key>Gone\\1</key>";  // the key renamed: its value is missing
  const struct {
    const char* pattern;
    QString replacement, shown, missing;
  } rows[] = {
      {"<key>(DeviceModel)</key>", gone, "Model: SanDisk Ultra Media   Bus: USB"},
      {"32015679488", "0", "Device Block Size: 512 Bytes", "Disk Size"},  // TotalSize 0
      {"<key>(MountPoint)</key>", gone, "Mounted: No   Mount Point: " + kMark},
      {"<key>(FilesystemName)</key>", gone, "Filesystem: MS-DOS FAT32"},
      {"<key>(FilesystemName|FileSystemPersonality)</key>", gone,
       "Filesystem Block Size: 32768 Bytes", "Filesystem:"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pattern);
    const QString output = QString(diskText() + partitionText())
                               .replace(QRegularExpression(row.pattern), row.replacement);
    const QStringList lines = reportOf(output);
    EXPECT_TRUE(lines.contains(row.shown)) << lines.join('\n').toStdString();
    if (!row.missing.isEmpty()) EXPECT_TRUE(lines.filter(row.missing).isEmpty());
  }
}

TEST(InfoReport, StrayTextAndDocumentsThatAreNotPropertyLists) {
  const QStringList unknownDisk{"Device: " + kMark, "Model: " + kMark + "   Bus: " + kMark,
                                "Removable: No   Ejectable: No   Whole Disk: No"};
  // Text in front of the first document is a document of its own, in the disk's place.
  const QStringList partition{"", "Partition Info:", "Volume Name: " + kMark,
                              "Mounted: No   Mount Point: " + kMark};
  EXPECT_EQ(reportOf("Password:\n" + diskText() + partitionText()),
            unknownDisk + partition);
  for (const char* notAList :
       {"<?xml Could not find disk: /dev/disk9", R"(<?xml version="1.0"?><html></html>)"})
    EXPECT_EQ(reportOf(notAList), unknownDisk) << notAList;
  EXPECT_TRUE(reportOf("Could not find disk: /dev/disk9\n").isEmpty());
}

}  // namespace
