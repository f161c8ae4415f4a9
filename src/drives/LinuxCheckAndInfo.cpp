// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include "drives/LinuxDiskTools.h"
#include "drives/DevicePaths.h"
#include "drives/ShellQuote.h"
#include "exec/Error.h"
#include "exec/HelperContract.h"

namespace tessaro {
namespace {

Error noPartitionIdentifier() {
  return Error(ErrorDomain::diskManager, 2, QStringLiteral("No partition identifier found"));
}

QString nameOf(const QJsonValue& device) {
  return device.toObject().value(QStringLiteral("name")).toString();
}

}  // namespace

QStringList LinuxDiskTools::partitionListCommand(const QString& bsdName) const {
  return {lsblkPath(), QStringLiteral("--json"), QStringLiteral("--output"),
          QStringLiteral("NAME,TYPE"), devicePathOf(bsdName)};
}

QString LinuxDiskTools::parseFirstPartition(const QString& text, const QString&) const {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    throw Error(ErrorDomain::json, parseError.error,
                QStringLiteral("lsblk printed no readable JSON: ") + parseError.errorString());
  }
  const QJsonArray disks = document.object().value(QStringLiteral("blockdevices")).toArray();
  if (disks.isEmpty()) throw noPartitionIdentifier();
  const QJsonObject disk = disks.first().toObject();

  // Children of a disk can also be device-mapper or RAID devices built on it;
  // only partitions count.
  for (const QJsonValue& child : disk.value(QStringLiteral("children")).toArray()) {
    const QString type = child.toObject().value(QStringLiteral("type")).toString();
    if (type == QLatin1String("part") && !nameOf(child).isEmpty()) return nameOf(child);
  }
  // No partition: the disk itself, which may hold a file system without a
  // partition table.
  const QString diskName = nameOf(disk);
  if (diskName.isEmpty()) throw noPartitionIdentifier();
  return diskName;
}

// The helper takes kernel names, never paths (HelperContract.h).
PrivilegedCommand LinuxDiskTools::checkCommand(const QString& targetBsdName) const {
  const QStringList args{QLatin1String(HelperContract::checkVerb), targetBsdName};
  return {helperPath(), args, displayCommand(QStringList{helperPath()} + args)};
}

PrivilegedCommand LinuxDiskTools::infoReportCommand(
    const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const {
  QStringList args{QLatin1String(HelperContract::infoVerb), diskBsdName};
  if (partitionBsdName && *partitionBsdName != diskBsdName) args << *partitionBsdName;
  return {helperPath(), args, displayCommand(QStringList{helperPath()} + args)};
}

}  // namespace tessaro
