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
