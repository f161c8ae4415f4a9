// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxDiskTools.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonParseError>

#include "contract/HelperContract.h"
#include "drives/DevicePaths.h"
#include "drives/DiscoveryRule.h"
#include "drives/DriveFactsJson.h"
#include "drives/FormatRequestRules.h"
#include "drives/TranslatedWording.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LsblkJson.h"
#include "drives/linux/SysfsBlockTree.h"
#include "drives/linux/PartitionNaming.h"
#include "drives/linux/ToolAvailability.h"
#include "exec/Error.h"

namespace tessaro {

namespace {

struct AvailabilityText {
  Q_DECLARE_TR_FUNCTIONS(ToolAvailability)
};

// The window's log line for tools that are not there, e.g. "mkfs.fat and
// fsck.fat not found: install dosfstools".
QString missingToolsMessage(const MissingTools& missing) {
  QStringList tools;
  for (const std::string& tool : missing.tools) tools << QString::fromStdString(tool);
  //: The last of several programs: "lsblk, wipefs and blkid".
  const QString named =
      tools.size() < 2 ? tools.join(QString())
                       : AvailabilityText::tr("%1 and %2")
                             .arg(tools.mid(0, tools.size() - 1).join(QStringLiteral(", ")),
                                  tools.last());
  const QString package = QString::fromStdString(missing.package);
  if (!missing.required)
    return AvailabilityText::tr(
               "%1 not found: install %2, or a drive will not be mounted after it is formatted")
        .arg(named, package);
  return AvailabilityText::tr("%1 not found: install %2").arg(named, package);
}

}  // namespace

LinuxDiskTools::LinuxDiskTools(QString lsblkPath, QString sysfsRoot, QString helperPath,
                               QString byIdDir)
    : lsblkPath_(std::move(lsblkPath)),
      sysfsRoot_(std::move(sysfsRoot)),
      helperPath_(std::move(helperPath)),
      byIdDir_(std::move(byIdDir)) {}

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
  return QString::fromStdString(linuxFormatPartitionPath(drive.devicePath.toStdString()));
}

// Optional tools are left out: the job that does without one says so.
QStringList LinuxDiskTools::missingToolNotices() const {
  QStringList notices;
  for (const MissingTools& missing : findMissingTools(isToolInstalled, geteuid() == 0))
    if (missing.required) notices << missingToolsMessage(missing);
  return notices;
}

bool LinuxDiskTools::mayChangeDriveList(const QString& kernelName,
                                        const QList<Drive>& listed) const {
  const std::string name = kernelName.toStdString();
  if (isVirtualDeviceName(name)) return false;
  for (const Drive& drive : listed)
    if (isSameOrPartitionOf(name, drive.bsdName.toStdString())) return true;
  return couldBeOffered(name, sysfsRoot_.toStdString());
}

QStringList LinuxDiskTools::toolNames() const {
  QStringList names;
  for (const std::string& name : allToolNames()) names << QString::fromStdString(name);
  return names;
}

std::optional<QString> LinuxDiskTools::readList() const {
  if (lsblkPath_ != QLatin1String("/usr/bin/lsblk") || sysfsRoot_ != QLatin1String("/sys"))
    return std::nullopt;
  std::string failure;
  const std::optional<std::vector<LsblkDevice>> list = SysfsBlockTree::readAll({}, &failure);
  if (!list) return std::nullopt;
  return LsblkJson::toText(*list);
}

QStringList LinuxDiskTools::listCommand() const {
  return QStringList{lsblkPath_} + LsblkJson::arguments();
}

// The list names whole disks only, and leaves out every disk that holds the
// running system, so those are never looked at further.
QStringList LinuxDiskTools::parseDiskList(const QString& text) const {
  QStringList names;
  for (const LsblkDevice& disk : LsblkJson::parseList(text)) {
    if (disk.name.empty() || disk.type != "disk") continue;
    if (isVirtualDeviceName(disk.name) || disk.size <= 0 || holdsRunningSystem(disk)) continue;
    names << QString::fromStdString(disk.name);
  }
  return names;
}

// The list's record of each disk holds all that discovery needs: no second
// lsblk run per disk.
QStringList LinuxDiskTools::infoCommand(const QString&) const { return {}; }

std::optional<Drive> LinuxDiskTools::parseDriveInfo(const QString& listText,
                                                    const QString& bsdName) const {
  for (const LsblkDevice& disk : LsblkJson::parseList(listText)) {
    if (disk.name != bsdName.toStdString()) continue;
    const std::string sysfsRoot = sysfsRoot_.toStdString();
    if (!isOfferableDisk(disk, sysfsRoot)) return std::nullopt;
    return discoveredDrive(bsdName, QString::fromStdString(linuxModel(disk, sysfsRoot)), disk.size);
  }
  return std::nullopt;
}

std::vector<BlockDevice> LinuxDiskTools::parseBlockDevices(const QString& listText) const {
  return linuxBlockDevices(LsblkJson::parseList(listText), sysfsRoot_.toStdString(),
                           byIdDir_.toStdString());
}

std::optional<QString> LinuxDiskTools::validateFormat(const FormatRequest& request) const {
  const TranslatedWording wording;
  if (auto refusal = refuseLinuxVolumeName(request.volumeName.toStdString(), wording))
    return QString::fromStdString(*refusal);
  // The drive's logical sector size is known only to the helper, which checks
  // again with it; nearly every removable drive has 512-byte sectors.
  if (request.drive.size > 0) {
    if (request.partitionBytes) {
      if (auto refusal = refusePartitionSize(*request.partitionBytes, request.drive.size, wording))
        return QString::fromStdString(*refusal);
    }
    if (auto refusal = refuseClusterSize(request.clusterBytes, request.drive.size, 512,
                                         request.partitionBytes, wording))
      return QString::fromStdString(*refusal);
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

std::optional<PrivilegedCommand> LinuxDiskTools::probeCommand(const QString& diskBsdName,
                                                              bool full) const {
  PrivilegedCommand command{helperPath(), {QLatin1String(HelperContract::probeVerb), diskBsdName}};
  if (full) command.args << QLatin1String(HelperContract::fullProbe);
  return command;
}

QStringList LinuxDiskTools::partitionListCommand(const QString& bsdName) const {
  return QStringList{lsblkPath_} + LsblkJson::arguments() + QStringList{devicePathOf(bsdName)};
}

QString LinuxDiskTools::parseFirstPartition(const QString& text, const QString&) const {
  const Error noPartition(
      ErrorDomain::diskManager, 2,
      QCoreApplication::translate("DiskTools", "No partition identifier found"));
  const std::vector<LsblkDevice> disks = LsblkJson::parseList(text);
  if (disks.empty()) throw noPartition;
  const LsblkDevice& disk = disks.front();
  // Children of a disk can also be device-mapper or RAID devices built on it;
  // only partitions count.
  for (const LsblkDevice& child : disk.children)
    if (child.type == "part" && !child.name.empty()) return QString::fromStdString(child.name);
  // No partition: the disk itself, which may hold a file system without a
  // partition table.
  if (disk.name.empty()) throw noPartition;
  return QString::fromStdString(disk.name);
}

// The helper takes kernel names, never paths (contract/HelperContract.h).
PrivilegedCommand LinuxDiskTools::checkCommand(const QString& targetBsdName, CheckMode mode) const {
  QStringList args{QLatin1String(HelperContract::checkVerb), targetBsdName};
  if (mode == CheckMode::readOnly) args << QLatin1String(HelperContract::checkReadOnly);
  return {helperPath(), args};
}

PrivilegedCommand LinuxDiskTools::infoReportCommand(
    const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const {
  QStringList args{QLatin1String(HelperContract::infoVerb), diskBsdName};
  if (partitionBsdName && *partitionBsdName != diskBsdName) args << *partitionBsdName;
  return {helperPath(), args};
}

// The helper tells the facts in its result event; its lines are for people.
std::optional<DriveFacts> LinuxDiskTools::parseDriveFacts(
    const QString& output, const std::optional<contract::HelperEvent>& result) const {
  (void)output;
  std::string why;
  if (std::optional<DriveFacts> facts = DriveFactsJson::fromEvent(result, &why)) return facts;
  throw Error(
      ErrorDomain::json, QJsonParseError::IllegalValue,
      QCoreApplication::translate("DriveFactsJson", "the drive's facts could not be read: %1")
          .arg(QString::fromStdString(why)));
}

}  // namespace tessaro
