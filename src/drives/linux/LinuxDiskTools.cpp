// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxDiskTools.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include "drives/DevicePaths.h"
#include "drives/DiscoveryRule.h"
#include "drives/FormatRequestRules.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LinuxFormatSteps.h"
#include "drives/linux/ToolAvailability.h"
#include "exec/Error.h"
#include "exec/HelperContract.h"

namespace tessaro {

LinuxDiskTools::LinuxDiskTools(QString lsblkPath, QString sysfsRoot, QString helperPath)
    : lsblkPath_(std::move(lsblkPath)),
      sysfsRoot_(std::move(sysfsRoot)),
      helperPath_(std::move(helperPath)) {}

QString LinuxDiskTools::helperPath() const {
  if (!helperPath_.isEmpty()) return helperPath_;
  if (QCoreApplication::instance()) {
    const QString besideApp =
        QCoreApplication::applicationDirPath() + QStringLiteral("/tessaro-helper");
    if (QFileInfo(besideApp).isExecutable()) return besideApp;
  }
  return QStringLiteral(TESSARO_HELPER_INSTALL_PATH);
}

QString LinuxDiskTools::formattedPartitionPath(const Drive& drive) const {
  return linuxFormatPartitionPath(drive.devicePath);
}

// Optional tools are left out: the job that does without one says so.
QStringList LinuxDiskTools::missingToolNotices() const {
  QStringList notices;
  for (const MissingTools& missing : findMissingTools(isToolInstalled, geteuid() == 0))
    if (missing.required) notices << missing.message();
  return notices;
}

QStringList LinuxDiskTools::listCommand() const {
  return QStringList{lsblkPath_} + lsblkArguments();
}

// The list names whole disks only, and leaves out every disk that holds the
// running system, so those are never queried.
QStringList LinuxDiskTools::parseDiskList(const QString& text) const {
  QStringList names;
  for (const QJsonValue& value : parseLsblkDevices(text)) {
    const QJsonObject disk = value.toObject();
    const QString name = disk.value(QLatin1String("name")).toString();
    if (name.isEmpty() || disk.value(QLatin1String("type")).toString() != QLatin1String("disk"))
      continue;
    if (isVirtualDeviceName(name) || lsblkSize(disk) <= 0 || holdsRunningSystem(disk)) continue;
    names << name;
  }
  return names;
}

QStringList LinuxDiskTools::infoCommand(const QString& bsdName) const {
  return QStringList{lsblkPath_} + lsblkArguments() + QStringList{devicePathOf(bsdName)};
}

std::optional<Drive> LinuxDiskTools::parseDriveInfo(const QString& text,
                                                    const QString& bsdName) const {
  const QJsonArray devices = parseLsblkDevices(text);
  if (devices.isEmpty() || !devices.first().isObject()) return std::nullopt;
  const QJsonObject disk = devices.first().toObject();
  if (disk.value(QLatin1String("name")).toString() != bsdName) return std::nullopt;
  if (!isOfferableDisk(disk, sysfsRoot_)) return std::nullopt;
  return discoveredDrive(bsdName, linuxModel(disk, sysfsRoot_), lsblkSize(disk));
}

std::optional<QString> LinuxDiskTools::validateFormat(const FormatRequest& request) const {
  if (auto refusal = refuseLinuxVolumeName(request.volumeName)) return refusal;
  // The drive's logical sector size is known only to the helper, which checks
  // again with it; nearly every removable drive has 512-byte sectors.
  if (request.drive.size > 0) {
    if (request.partitionBytes) {
      if (auto refusal = refusePartitionSize(*request.partitionBytes, request.drive.size))
        return refusal;
    }
    return refuseClusterSize(request.clusterBytes, request.drive.size, 512, request.partitionBytes);
  }
  return std::nullopt;
}

// The helper shows each tool it runs itself, with what it reads from the
// disk as root (mounted partitions, sector size).
PrivilegedCommand LinuxDiskTools::formatCommand(const FormatRequest& request) const {
  PrivilegedCommand command;
  command.tool = helperPath();
  command.args = {QLatin1String(HelperContract::formatVerb), request.drive.bsdName,
                  request.volumeName,
                  request.clusterBytes ? QString::number(*request.clusterBytes)
                                       : QLatin1String(HelperContract::defaultCluster)};
  if (request.partitionBytes) command.args << QString::number(*request.partitionBytes);
  return command;
}

std::optional<PrivilegedCommand> LinuxDiskTools::probeCommand(const QString& diskBsdName) const {
  return PrivilegedCommand{helperPath(), {QLatin1String(HelperContract::probeVerb), diskBsdName}};
}

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
  return {helperPath(), args};
}

PrivilegedCommand LinuxDiskTools::infoReportCommand(
    const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const {
  QStringList args{QLatin1String(HelperContract::infoVerb), diskBsdName};
  if (partitionBsdName && *partitionBsdName != diskBsdName) args << *partitionBsdName;
  return {helperPath(), args};
}

}  // namespace tessaro
