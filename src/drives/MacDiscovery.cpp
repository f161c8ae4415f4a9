// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DevicePaths.h"
#include "drives/DiscoveryRule.h"
#include "drives/DiskIdentifier.h"
#include "drives/MacDiskTools.h"
#include "drives/PropertyList.h"

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
  placement.bus = stringValue(info, "BusProtocol").value_or(QString()).toLower();
  placement.removable = boolValue(info, "Removable");
  placement.ejectable = boolValue(info, "Ejectable");
  placement.internal = boolValue(info, "Internal");
  if (!isExternalOrRemovable(placement)) return std::nullopt;

  // An empty DeviceModel is still the model: only its absence falls back.
  const QString model =
      stringValue(info, "DeviceModel").value_or(stringValue(info, "MediaName").value_or(QString()));
  return discoveredDrive(bsdName, model, numberValue(info, "TotalSize"));
}

}  // namespace tessaro
