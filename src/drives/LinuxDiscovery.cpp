// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonObject>

#include "drives/DevicePaths.h"
#include "drives/DiscoveryRule.h"
#include "drives/LinuxBlockDevices.h"
#include "drives/LinuxDiskTools.h"
#include "drives/LinuxFormatSteps.h"
#include "drives/ToolAvailability.h"

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

bool LinuxDiskTools::isSkipped(const QString& bsdName) const {
  return isVirtualDeviceName(bsdName);
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

}  // namespace tessaro
