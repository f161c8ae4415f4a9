// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InfoFactsJson.h"

#include <QFileInfo>
#include <tuple>

#include "cli/BlockDeviceJson.h"

namespace tessaro {

namespace {

const BlockDevice* findByName(const QList<BlockDevice>& known, const QString& name) {
  for (const BlockDevice& device : known)
    if (device.name == name) return &device;
  return nullptr;
}

QJsonValue text(const QString& value) { return value.isEmpty() ? QJsonValue() : QJsonValue(value); }

// A fact's text; empty where it was not reported.
QString factText(const std::optional<std::string>& value) {
  return QString::fromStdString(value.value_or(std::string()));
}

QJsonValue bytes(qint64 value) {
  return value >= 1 ? QJsonValue(static_cast<double>(value)) : QJsonValue();
}

BlockDevice diskFromFacts(const DriveFacts::Disk& facts, const QString& diskName) {
  BlockDevice disk;
  disk.name = diskName;
  disk.path = factText(facts.deviceNode);
  disk.type = QStringLiteral("disk");
  disk.size = facts.totalSize;
  disk.model = factText(facts.model);
  disk.transport = factText(facts.bus).toLower();
  disk.removable = facts.removable;
  disk.hotplug = facts.ejectable;
  disk.logicalSectorSize = int(facts.deviceBlockSize);
  return disk;
}

// lsblk's FSTYPE and FSVER for the report's file system name ("MS-DOS
// (FAT32)", "ExFAT"), where lsblk had no word for it (no udev database).
std::pair<QString, QString> lsblkFilesystem(const QString& reported) {
  static const QString fat = QStringLiteral("MS-DOS (");
  if (reported.startsWith(fat) && reported.endsWith(QLatin1Char(')'))) {
    const QString version = reported.mid(fat.size(), reported.size() - fat.size() - 1);
    return {QStringLiteral("vfat"), version == QLatin1String("FAT") ? QString() : version};
  }
  return {reported.toLower(), QString()};
}

}  // namespace

QJsonObject InfoFactsJson::object(const DriveFacts& shown, const QString& diskName,
                                  const QList<BlockDevice>& known) {
  const BlockDevice* listed = findByName(known, diskName);
  const BlockDevice disk = listed ? *listed : diskFromFacts(shown.disk, diskName);
  QJsonObject object{{QStringLiteral("disk"), BlockDeviceJson::object(disk)},
                     {QStringLiteral("partition"), QJsonValue()}};
  const std::optional<DriveFacts::Partition>& partition = shown.partition;
  if (!partition) return object;

  const QString node = factText(partition->deviceNode);
  const QString name = QFileInfo(node).fileName();
  const BlockDevice* record = name.isEmpty() ? nullptr : findByName(known, name);
  BlockDevice lsblk = record ? *record : BlockDevice{};
  if (lsblk.fstype.isEmpty() && partition->filesystem)
    std::tie(lsblk.fstype, lsblk.fsver) = lsblkFilesystem(factText(partition->filesystem));
  object[QStringLiteral("partition")] = QJsonObject{
      {QStringLiteral("name"), text(name)},
      {QStringLiteral("path"), text(node)},
      {QStringLiteral("size"), bytes(lsblk.size)},
      {QStringLiteral("fstype"), text(lsblk.fstype)},
      {QStringLiteral("fsver"), text(lsblk.fsver)},
      {QStringLiteral("label"),
       text(partition->volumeName ? factText(partition->volumeName) : lsblk.label)},
      {QStringLiteral("mountpoint"), text(factText(partition->mountPoint))},
      {QStringLiteral("cluster-size"), bytes(partition->filesystemBlockSize)},
  };
  return object;
}

}  // namespace tessaro
