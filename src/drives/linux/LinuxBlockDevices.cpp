// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxBlockDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tessaro {

namespace {

QString readSysfs(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).trimmed();
}

bool isUserMediaMount(const QString& mountpoint) {
  for (const char* root : {"/media", "/run/media"}) {
    const QLatin1String prefix(root);
    if (mountpoint == prefix || mountpoint.startsWith(prefix + QLatin1Char('/'))) return true;
  }
  return false;
}

bool isStackMember(const LsblkDevice& device) {
  const QString& fstype = device.fstype;
  static const QStringList memberTypes{
      QStringLiteral("swap"),        QStringLiteral("LVM2_member"),
      QStringLiteral("crypto_LUKS"), QStringLiteral("linux_raid_member"),
      QStringLiteral("zfs_member"),  QStringLiteral("bcache")};
  if (memberTypes.contains(fstype) || fstype.endsWith(QLatin1String("_raid_member"))) return true;
  const QString& type = device.type;
  return type == QLatin1String("lvm") || type == QLatin1String("crypt") ||
         type.startsWith(QLatin1String("raid")) || type == QLatin1String("md") ||
         type == QLatin1String("dm") || type == QLatin1String("mpath");
}

// Devices behind Thunderbolt and USB4 ports have a PCI parent the kernel
// marks "removable"; built-in PCI devices say "fixed" or "unknown".
bool hasRemovablePciParent(QString path, const QString& sysfsRoot) {
  static const QRegularExpression pciAddress(
      QStringLiteral("^[0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2}\\.[0-9a-f]$"));
  const QString devices = QFileInfo(sysfsRoot + QStringLiteral("/devices")).canonicalFilePath();
  if (devices.isEmpty() || path.isEmpty()) return false;
  while (path.startsWith(devices + QLatin1Char('/'))) {
    const QFileInfo info(path);
    if (pciAddress.match(info.fileName()).hasMatch() &&
        readSysfs(path + QStringLiteral("/removable")) == QLatin1String("removable"))
      return true;
    path = info.path();
  }
  return false;
}

bool isMmcDisk(const QString& name) { return name.startsWith(QLatin1String("mmcblk")); }

}  // namespace

bool isVirtualDeviceName(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral(
      "^(loop\\d+|zram\\d+|ram\\d+|md\\d+|md_.+|dm-\\d+|nbd\\d+|mmcblk\\d+(boot\\d+|rpmb))$"));
  return pattern.match(name).hasMatch();
}

bool holdsRunningSystem(const LsblkDevice& diskWithChildren) {
  if (isStackMember(diskWithChildren)) return true;
  for (const QString& mountpoint : diskWithChildren.mountpoints)
    if (!isUserMediaMount(mountpoint)) return true;
  for (const LsblkDevice& child : diskWithChildren.children)
    if (holdsRunningSystem(child)) return true;
  return false;
}

QString linuxBus(const LsblkDevice& disk, const QString& sysfsRoot) {
  const QString& name = disk.name;
  const QString tran = disk.transport.toLower();
  const QStringList subsystems = disk.subsystems.split(QLatin1Char(':'));
  if (tran == QLatin1String("usb") || subsystems.contains(QLatin1String("usb")))
    return QStringLiteral("usb");
  if (tran == QLatin1String("sbp") || subsystems.contains(QLatin1String("firewire")))
    return QStringLiteral("firewire");
  if (isMmcDisk(name) && readSysfs(sysfsRoot + QStringLiteral("/block/") + name +
                                   QStringLiteral("/device/type")) == QLatin1String("SD"))
    return QStringLiteral("sd");
  if (hasRemovablePciParent(
          QFileInfo(sysfsRoot + QStringLiteral("/block/") + name).canonicalFilePath(), sysfsRoot))
    return QStringLiteral("thunderbolt");
  return tran;
}

DiskPlacement linuxPlacement(const LsblkDevice& disk, const QString& sysfsRoot) {
  DiskPlacement placement;
  placement.bus = linuxBus(disk, sysfsRoot);
  placement.removable = disk.removable || placement.bus == QLatin1String("sd");
  placement.ejectable = externalBusProtocols.contains(placement.bus);
  placement.internal = !placement.removable && !placement.ejectable;
  return placement;
}

QString linuxModel(const LsblkDevice& disk, const QString& sysfsRoot) {
  const QString vendor = disk.vendor.trimmed();
  const QString model = disk.model.trimmed();
  const QString& name = disk.name;
  if (model.isEmpty() && isMmcDisk(name))
    return readSysfs(sysfsRoot + QStringLiteral("/block/") + name + QStringLiteral("/device/name"));
  const bool placeholderVendor = vendor.compare(QLatin1String("ATA"), Qt::CaseInsensitive) == 0 ||
                                 vendor.startsWith(QLatin1String("0x"));
  if (vendor.isEmpty() || placeholderVendor || model.startsWith(vendor, Qt::CaseInsensitive))
    return model;
  return model.isEmpty() ? vendor : vendor + QLatin1Char(' ') + model;
}

bool isSameOrPartitionOf(const QString& name, const QString& disk) {
  if (disk.isEmpty() || !name.startsWith(disk)) return false;
  static const QRegularExpression partitionNumber(QStringLiteral("^(p?\\d+)?$"));
  const QString rest = name.mid(disk.size());
  // "p" goes in only after a disk name that ends in a digit.
  if (rest.startsWith(QLatin1Char('p')) != disk.back().isDigit() && !rest.isEmpty()) return false;
  return partitionNumber.match(rest).hasMatch();
}

bool couldBeOffered(const QString& name, const QString& sysfsRoot) {
  if (isVirtualDeviceName(name)) return false;
  QString path = QFileInfo(sysfsRoot + QStringLiteral("/class/block/") + name).canonicalFilePath();
  if (path.isEmpty()) return false;
  // A partition's directory lies inside its disk's.
  if (QFileInfo::exists(path + QStringLiteral("/partition"))) path = QFileInfo(path).path();
  const QString disk = QFileInfo(path).fileName();
  const QString devices = QFileInfo(sysfsRoot + QStringLiteral("/devices")).canonicalFilePath();
  if (isVirtualDeviceName(disk) || devices.isEmpty() ||
      !path.startsWith(devices + QLatin1Char('/')) ||
      path.startsWith(devices + QStringLiteral("/virtual/")))
    return false;
  if (readSysfs(path + QStringLiteral("/removable")) == QLatin1String("1")) return true;
  static const QRegularExpression hotplugBus(QStringLiteral("/(usb\\d+|fw\\d+)/"));
  if (hotplugBus.match(path.mid(devices.size())).hasMatch()) return true;
  if (path.contains(QStringLiteral("/mmc_host/")))
    return readSysfs(path + QStringLiteral("/device/type")) == QLatin1String("SD");
  return hasRemovablePciParent(path, sysfsRoot);
}

bool isOfferableDisk(const LsblkDevice& disk, const QString& sysfsRoot) {
  return disk.type == QLatin1String("disk") && !isVirtualDeviceName(disk.name) && disk.size > 0 &&
         !holdsRunningSystem(disk) && isExternalOrRemovable(linuxPlacement(disk, sysfsRoot));
}

}  // namespace tessaro
