// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/CheckLine.h"
#include "drives/DiskIdentifier.h"
#include "drives/MacDiskTools.h"
#include "drives/PropertyList.h"
#include "exec/Error.h"

namespace tessaro {
namespace {

Error noPartitionIdentifier() {
  return Error(ErrorDomain::diskManager, 2, QStringLiteral("No partition identifier found"));
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

std::optional<QString> stringValue(const QVariantMap& map, const QString& key) {
  const QVariant value = map.value(key);
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString();
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
    const auto id = stringValue(partitions->first().toMap(), QStringLiteral("DeviceIdentifier"));
    if (id && isDiskIdentifier(*id)) return *id;
  }
  const auto diskId = stringValue(disk, QStringLiteral("DeviceIdentifier"));
  if (diskId && isDiskIdentifier(*diskId)) {
    return *diskId + QStringLiteral("s1");
  }
  throw noPartitionIdentifier();
}

PrivilegedCommand MacDiskTools::checkCommand(const QString& targetBsdName) const {
  const QString line = macCheckLine(targetBsdName, diskutilPath_);
  return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}, line};
}

PrivilegedCommand MacDiskTools::infoReportCommand(
    const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const {
  // The tool named without a directory: the shell finds it on its search path.
  QString line = QStringLiteral("diskutil info -plist ") + devicePathOf(diskBsdName);
  if (partitionBsdName) {
    line += QStringLiteral(" && diskutil info -plist ") + devicePathOf(*partitionBsdName);
  }
  return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}, line};
}

}  // namespace tessaro
