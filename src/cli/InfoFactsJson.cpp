// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InfoFactsJson.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <tuple>

#include "drives/BlockDeviceJson.h"
#include "drives/TranslatedWording.h"

namespace tessaro {

namespace {

const BlockDevice* findByName(const std::vector<BlockDevice>& known, const QString& name) {
  for (const BlockDevice& device : known)
    if (device.name == name.toStdString()) return &device;
  return nullptr;
}

QJsonValue text(const QString& value) { return value.isEmpty() ? QJsonValue() : QJsonValue(value); }

// A fact's text; empty where it was not reported.
QString factText(const std::optional<std::string>& value) {
  return QString::fromStdString(value.value_or(std::string()));
}

QString qt(const std::string& text) { return QString::fromStdString(text); }

QJsonValue bytes(qint64 value) {
  return value >= 1 ? QJsonValue(static_cast<double>(value)) : QJsonValue();
}

BlockDevice diskFromFacts(const DriveFacts::Disk& facts, const QString& diskName) {
  BlockDevice disk;
  disk.name = diskName.toStdString();
  disk.path = facts.deviceNode.value_or(std::string());
  disk.type = "disk";
  disk.size = facts.totalSize;
  disk.model = facts.model.value_or(std::string());
  disk.transport = factText(facts.bus).toLower().toStdString();
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
                                  const std::vector<BlockDevice>& known) {
  const BlockDevice* listed = findByName(known, diskName);
  const BlockDevice disk = listed ? *listed : diskFromFacts(shown.disk, diskName);
  // One writing of a disk for both documents: list --json's, read back.
  const std::string diskJson = BlockDeviceJson::object(disk, TranslatedWording()).compact();
  QJsonObject object{{QStringLiteral("disk"),
                      QJsonDocument::fromJson(QByteArray::fromStdString(diskJson)).object()},
                     {QStringLiteral("partition"), QJsonValue()}};
  const std::optional<DriveFacts::Partition>& partition = shown.partition;
  if (!partition) return object;

  const QString node = factText(partition->deviceNode);
  const QString name = QFileInfo(node).fileName();
  const BlockDevice* record = name.isEmpty() ? nullptr : findByName(known, name);
  BlockDevice lsblk = record ? *record : BlockDevice{};
  QString fstype = qt(lsblk.fstype), fsver = qt(lsblk.fsver);
  if (fstype.isEmpty() && partition->filesystem)
    std::tie(fstype, fsver) = lsblkFilesystem(factText(partition->filesystem));
  object[QStringLiteral("partition")] = QJsonObject{
      {QStringLiteral("name"), text(name)},
      {QStringLiteral("path"), text(node)},
      {QStringLiteral("size"), bytes(lsblk.size)},
      {QStringLiteral("fstype"), text(fstype)},
      {QStringLiteral("fsver"), text(fsver)},
      {QStringLiteral("label"),
       text(partition->volumeName ? factText(partition->volumeName) : qt(lsblk.label))},
      {QStringLiteral("mountpoint"), text(factText(partition->mountPoint))},
      {QStringLiteral("cluster-size"), bytes(partition->filesystemBlockSize)},
  };
  return object;
}

}  // namespace tessaro
