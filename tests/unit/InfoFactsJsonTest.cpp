// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>

#include "cli/InfoFactsJson.h"
#include "drives/mac/PropertyListFacts.h"

using namespace tessaro;

namespace {

QString fixture(const char* name) {
  QFile file(QStringLiteral(TESSARO_FIXTURES_DIR "/InfoReport/") + QLatin1String(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(file.readAll());
}

QJsonObject parsed(const char* json) { return QJsonDocument::fromJson(json).object(); }

}  // namespace

TEST(InfoFactsJson, HoldsWhatTheReportShowsWithMissingValuesAsNull) {
  const QString disk = fixture("usb-stick-disk.plist");
  const QString partition = fixture("usb-stick-partition.plist");
  const QJsonObject usbDisk = parsed(R"json({
      "deviceNode": "/dev/disk4", "model": "Ultra", "bus": "USB", "removable": true,
      "ejectable": true, "wholeDisk": true, "parentWholeDisk": "disk4",
      "deviceBlockSize": 512, "totalSize": 32015679488})json");
  const QJsonObject unreadableDisk = parsed(R"json({
      "deviceNode": null, "model": null, "bus": null, "removable": false, "ejectable": false,
      "wholeDisk": false, "parentWholeDisk": null, "deviceBlockSize": null, "totalSize": null})json");

  const struct {
    const char* name;
    QString output;
    QJsonObject disk;
    QJsonValue partition;
  } rows[] = {
      {"disk and partition", disk + partition, usbDisk, parsed(R"json({
          "deviceNode": "/dev/disk4s1", "volumeName": "MY USB", "filesystem": "MS-DOS (FAT32)",
          "mounted": true, "mountPoint": "/Volumes/MY USB", "filesystemBlockSize": 32768})json")},
      {"no partition found", disk, usbDisk, QJsonValue()},
      {"no output", "", unreadableDisk, QJsonValue()},
      {"truncated output", disk.left(disk.size() / 2), unreadableDisk, QJsonValue()},
      {"a partition that is not a property list", disk + "<?xml garbage", usbDisk, parsed(R"json({
          "deviceNode": null, "volumeName": null, "filesystem": null, "mounted": false,
          "mountPoint": null, "filesystemBlockSize": null})json")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QJsonObject facts =
        InfoFactsJson::fromFacts(driveFactsFromPropertyLists(row.output), "disk4");
    EXPECT_EQ(facts.keys(), (QStringList{"disk", "partition"}));
    EXPECT_EQ(facts["disk"].toObject(), row.disk) << QJsonDocument(facts).toJson().toStdString();
    EXPECT_EQ(facts["partition"], row.partition) << QJsonDocument(facts).toJson().toStdString();
  }
}
