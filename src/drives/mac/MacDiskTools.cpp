// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/mac/MacDiskTools.h"

#include <QCoreApplication>

#include "drives/DevicePaths.h"
#include "drives/DiscoveryRule.h"
#include "drives/DiskIdentifier.h"
#include "drives/FormatRequestRules.h"
#include "drives/ShellQuote.h"
#include "drives/TranslatedWording.h"
#include "drives/mac/PropertyList.h"
#include "drives/mac/PropertyListFacts.h"
#include "exec/Error.h"

namespace tessaro {

namespace {

// Values of another type than the one expected count as absent.
std::optional<QString> stringValue(const QVariantMap& map, const char* key) {
  const QVariant value = map.value(QLatin1String(key));
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString();
}

bool boolValue(const QVariantMap& map, const char* key) {
  const QVariant value = map.value(QLatin1String(key));
  return value.typeId() == QMetaType::Bool && value.toBool();
}

qint64 numberValue(const QVariantMap& map, const char* key) {
  const QVariant value = map.value(QLatin1String(key));
  if (value.typeId() == QMetaType::LongLong) return value.toLongLong();
  if (value.typeId() == QMetaType::Double) return static_cast<qint64>(value.toDouble());
  return 0;
}

}  // namespace

MacDiskTools::MacDiskTools(QString diskutilPath) : diskutilPath_(std::move(diskutilPath)) {}

QStringList MacDiskTools::listCommand() const {
  return {diskutilPath_, QStringLiteral("list"), QStringLiteral("-plist")};
}

QStringList MacDiskTools::parseDiskList(const QString& text) const {
  const QVariant top = parsePropertyList(text);
  if (top.typeId() != QMetaType::QVariantMap) return {};
  const QVariant disks = top.toMap().value(QStringLiteral("AllDisksAndPartitions"));
  if (disks.typeId() != QMetaType::QVariantList) return {};
  const QVariantList entries = disks.toList();
  // Only an array made entirely of dictionaries is read.
  for (const QVariant& entry : entries)
    if (entry.typeId() != QMetaType::QVariantMap) return {};

  QStringList identifiers;
  for (const QVariant& entry : entries)
    if (const auto identifier = stringValue(entry.toMap(), "DeviceIdentifier");
        identifier && isDiskIdentifier(*identifier))
      identifiers << *identifier;
  return identifiers;
}

bool MacDiskTools::isSkipped(const QString& bsdName) const {
  return bsdName == QLatin1String("disk0");
}

QStringList MacDiskTools::infoCommand(const QString& bsdName) const {
  return {diskutilPath_, QStringLiteral("info"), QStringLiteral("-plist"), devicePathOf(bsdName)};
}

std::optional<Drive> MacDiskTools::parseDriveInfo(const QString& text,
                                                  const QString& bsdName) const {
  const QVariant top = parsePropertyList(text);
  if (top.typeId() != QMetaType::QVariantMap) return std::nullopt;
  const QVariantMap info = top.toMap();

  DiskPlacement placement;
  placement.bus = stringValue(info, "BusProtocol").value_or(QString()).toLower().toStdString();
  placement.removable = boolValue(info, "Removable");
  placement.ejectable = boolValue(info, "Ejectable");
  placement.internal = boolValue(info, "Internal");
  if (!isExternalOrRemovable(placement)) return std::nullopt;

  // An empty DeviceModel is still the model: only its absence falls back.
  const QString model =
      stringValue(info, "DeviceModel").value_or(stringValue(info, "MediaName").value_or(QString()));
  return discoveredDrive(bsdName, model, numberValue(info, "TotalSize"));
}

std::optional<QString> MacDiskTools::validateFormat(const FormatRequest& request) const {
  const TranslatedWording wording;
  if (auto refusal = refuseMacVolumeName(request.volumeName.toStdString(), wording))
    return QString::fromStdString(*refusal);
  if (request.partitionBytes) {
    return QCoreApplication::translate("DiskTools",
                                       "Formatting only part of a drive is not available on macOS "
                                       "yet.");
  }
  if (request.drive.size > 0) {
    if (auto refusal =
            refuseClusterSize(request.clusterBytes, request.drive.size, 512, std::nullopt, wording))
      return QString::fromStdString(*refusal);
  }
  return std::nullopt;
}

QString MacDiskTools::formattedPartitionPath(const Drive& drive) const {
  return drive.devicePath + QStringLiteral("s1");
}

// Erase with an MBR scheme, unmount the new partition, rebuild it as FAT32
// through its raw node, mount it again.
PrivilegedCommand MacDiskTools::formatCommand(const FormatRequest& request) const {
  const QString name = QString::fromStdString(shellQuote(request.volumeName.toStdString()));
  const QString partition = formattedPartitionPath(request.drive);
  const QString rawPartition = rawDevicePathOf(partition);
  const auto& bytes = request.clusterBytes;
  const QString newfs = bytes && *bytes >= 512 && *bytes % 512 == 0
                            ? QStringLiteral("/sbin/newfs_msdos -F 32 -b ") +
                                  QString::number(*bytes) + QStringLiteral(" -v ")
                            : QStringLiteral("/sbin/newfs_msdos -F 32 -v ");
  const QString line = QStringLiteral("/usr/sbin/diskutil eraseDisk MS-DOS ") + name +
                       QStringLiteral(" MBRFormat ") + request.drive.devicePath +
                       QStringLiteral(" && /usr/sbin/diskutil unmount ") + partition +
                       QStringLiteral(" && ") + newfs + name + QLatin1Char(' ') + rawPartition +
                       QStringLiteral(" && /usr/sbin/diskutil mount ") + partition;
  return PrivilegedCommand{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}};
}

namespace {

Error noPartitionIdentifier() {
  return Error(ErrorDomain::diskManager, 2,
               QCoreApplication::translate("DiskTools", "No partition identifier found"));
}

// Only arrays whose entries are all dictionaries count; anything else is
// treated as absent.
std::optional<QVariantList> dictionaryArray(const QVariant& value) {
  if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
  const QVariantList list = value.toList();
  for (const QVariant& entry : list) {
    if (entry.typeId() != QMetaType::QVariantMap) return std::nullopt;
  }
  return list;
}

}  // namespace

QStringList MacDiskTools::partitionListCommand(const QString& bsdName) const {
  return {diskutilPath_, QStringLiteral("list"), QStringLiteral("-plist"), devicePathOf(bsdName)};
}

QString MacDiskTools::parseFirstPartition(const QString& text, const QString&) const {
  const QVariant top = parsePropertyList(text);
  if (top.typeId() != QMetaType::QVariantMap) throw noPartitionIdentifier();
  const auto disks = dictionaryArray(top.toMap().value(QStringLiteral("AllDisksAndPartitions")));
  if (!disks || disks->isEmpty()) throw noPartitionIdentifier();
  const QVariantMap disk = disks->first().toMap();

  const auto partitions = dictionaryArray(disk.value(QStringLiteral("Partitions")));
  if (partitions && !partitions->isEmpty()) {
    const auto id = stringValue(partitions->first().toMap(), "DeviceIdentifier");
    if (id && isDiskIdentifier(*id)) return *id;
  }
  const auto diskId = stringValue(disk, "DeviceIdentifier");
  if (diskId && isDiskIdentifier(*diskId)) {
    return *diskId + QStringLiteral("s1");
  }
  throw noPartitionIdentifier();
}

QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath, bool readOnly) {
  const QString target = devicePathOf(targetBsdName);
  return diskutilPath + QStringLiteral(" unmount ") + target + QStringLiteral(" &&\n") +
         (readOnly ? QStringLiteral("/sbin/fsck_msdos -n ")
                   : QStringLiteral("/sbin/fsck_msdos -fy ")) +
         rawDevicePathOf(target) + QStringLiteral(" &&\n") + diskutilPath +
         QStringLiteral(" mount ") + target;
}

PrivilegedCommand MacDiskTools::checkCommand(const QString& targetBsdName, CheckMode mode) const {
  const QString line = macCheckLine(targetBsdName, diskutilPath_, mode == CheckMode::readOnly);
  return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}};
}

PrivilegedCommand MacDiskTools::infoReportCommand(
    const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const {
  // The tool named without a directory: the shell finds it on its search path.
  QString line = QStringLiteral("diskutil info -plist ") + devicePathOf(diskBsdName);
  if (partitionBsdName) {
    line += QStringLiteral(" && diskutil info -plist ") + devicePathOf(*partitionBsdName);
  }
  return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}};
}

// diskutil's property lists; no helper tells events here.
std::optional<DriveFacts> MacDiskTools::parseDriveFacts(
    const QString& output, const std::optional<contract::HelperEvent>& result) const {
  (void)result;
  return driveFactsFromPropertyLists(output);
}

}  // namespace tessaro
