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

// Without lsblk's record (macOS), the disk is what the report read.
TEST(InfoFactsJson, HoldsWhatTheReportShowsWithMissingValuesAsNull) {
  const QString disk = fixture("usb-stick-disk.plist");
  const QString partition = fixture("usb-stick-partition.plist");
  const QJsonObject usbDisk = parsed(R"json({
      "name": "disk4", "path": "/dev/disk4", "id": null, "size": 32015679488, "model": "Ultra",
      "vendor": null, "serial": null, "tran": "usb", "rm": true, "hotplug": true, "ro": false,
      "log-sec": 512, "type": "disk", "fstype": null, "mountpoints": [],
      "offered": true, "reason": null})json");
  QJsonObject unreadableDisk = usbDisk;
  for (const char* key : {"model", "tran", "log-sec"}) unreadableDisk[key] = QJsonValue();
  unreadableDisk["size"] = 0;
  unreadableDisk["rm"] = unreadableDisk["hotplug"] = false;

  const struct {
    const char* name;
    QString output;
    QJsonObject disk;
    QJsonValue partition;
  } rows[] = {
      {"disk and partition", disk + partition, usbDisk, parsed(R"json({
          "name": "disk4s1", "path": "/dev/disk4s1", "size": null, "fstype": "vfat", "fsver": "FAT32",
          "label": "MY USB", "mountpoint": "/Volumes/MY USB", "cluster-size": 32768})json")},
      {"no partition found", disk, usbDisk, QJsonValue()},
      {"no output", "", unreadableDisk, QJsonValue()},
      {"truncated output", disk.left(disk.size() / 2), unreadableDisk, QJsonValue()},
      {"a partition that is not a property list", disk + "<?xml garbage", usbDisk, parsed(R"json({
          "name": null, "path": null, "size": null, "fstype": null, "fsver": null,
          "label": null, "mountpoint": null, "cluster-size": null})json")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QJsonObject facts = InfoFactsJson::object(
        DriveFacts::ofDisk(driveFactsFromPropertyLists(row.output), "disk4"), "disk4", {});
    EXPECT_EQ(facts.keys(), (QStringList{"disk", "partition"}));
    EXPECT_EQ(facts["disk"].toObject(), row.disk) << QJsonDocument(facts).toJson().toStdString();
    EXPECT_EQ(facts["partition"], row.partition) << QJsonDocument(facts).toJson().toStdString();
  }
}
