// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxBlockDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <functional>

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

namespace {

// The mount point that shows best that a device holds the running system:
// "/" wherever it is in the tree, else the first one outside the user's
// media folders.
QString systemMountpoint(const LsblkDevice& device) {
  QString first;
  const std::function<bool(const LsblkDevice&)> visit = [&](const LsblkDevice& at) {
    for (const QString& mountpoint : at.mountpoints) {
      if (mountpoint == QLatin1String("/")) return true;
      if (first.isEmpty() && !isUserMediaMount(mountpoint)) first = mountpoint;
    }
    for (const LsblkDevice& child : at.children)
      if (visit(child)) return true;
    return false;
  };
  return visit(device) ? QStringLiteral("/") : first;
}

// Letters, digits and ".-_" as they are, a run of anything else as one "_".
QString idWord(const QString& text) {
  QString word;
  for (const QChar c : text.trimmed()) {
    const bool plain = (c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('.') ||
                       c == QLatin1Char('-') || c == QLatin1Char('_');
    if (plain)
      word += c;
    else if (!word.endsWith(QLatin1Char('_')))
      word += QLatin1Char('_');
  }
  return word;
}

QString byIdName(const QString& name, const QString& byIdDir) {
  if (name.isEmpty()) return {};
  const QDir dir(byIdDir);
  for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
    if (!link.isSymLink()) continue;
    if (QFileInfo(link.symLinkTarget()).fileName() == name) return link.fileName();
  }
  return {};
}

void flatten(const LsblkDevice& device, const LsblkDevice* above, const QString& sysfsRoot,
             const QString& byIdDir, QSet<QString>& seen, QList<BlockDevice>& into) {
  if (!device.name.isEmpty() && !seen.contains(device.name)) {
    seen.insert(device.name);
    BlockDevice shown;
    shown.name = device.name;
    shown.path = device.path.isEmpty() ? QStringLiteral("/dev/") + device.name : device.path;
    shown.parent = above ? above->name : QString();
    shown.type = device.type;
    shown.id = linuxStableId(device, sysfsRoot, byIdDir);
    shown.size = device.size;
    shown.model = device.model.trimmed();
    shown.vendor = device.vendor.trimmed();
    if (device.type == QLatin1String("disk")) {
      shown.product = linuxModel(device, sysfsRoot);
      if (shown.model.isEmpty()) shown.model = shown.product;
    }
    shown.serial = device.serial.trimmed();
    shown.transport = device.transport;
    shown.removable = device.removable;
    shown.hotplug = device.hotplug;
    shown.readOnly = device.readOnly;
    shown.logicalSectorSize = device.logicalSectorSize.value_or(0);
    shown.fstype = device.fstype;
    shown.fsver = device.fsver;
    shown.label = device.label;
    for (const QString& mountpoint : device.mountpoints)
      if (!mountpoint.isEmpty()) shown.mountpoints << mountpoint;
    if (!above)
      shown.reason = linuxNotOfferedReason(device, sysfsRoot);
    else if (device.type == QLatin1String("part"))
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::partition, above->name);
    else
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::volume, above->name);
    into << shown;
  }
  for (const LsblkDevice& child : device.children)
    flatten(child, &device, sysfsRoot, byIdDir, seen, into);
}

}  // namespace

std::optional<NotOfferedReason> linuxNotOfferedReason(const LsblkDevice& disk,
                                                      const QString& sysfsRoot) {
  using Kind = NotOfferedReason::Kind;
  if (disk.type == QLatin1String("loop") || disk.name.startsWith(QLatin1String("loop")))
    return NotOfferedReason(Kind::loopDevice);
  if (isVirtualDeviceName(disk.name)) return NotOfferedReason(Kind::virtualDevice);
  if (disk.type == QLatin1String("rom")) return NotOfferedReason(Kind::opticalDrive);
  if (disk.type != QLatin1String("disk")) return NotOfferedReason(Kind::notADisk, disk.type);
  if (disk.size <= 0) return NotOfferedReason(Kind::noMedium);
  if (disk.readOnly) return NotOfferedReason(Kind::readOnly);
  if (holdsRunningSystem(disk)) {
    const QString mountpoint = systemMountpoint(disk);
    if (!mountpoint.isEmpty()) return NotOfferedReason(Kind::holdsSystem, mountpoint);
    return NotOfferedReason(Kind::volumeMember);
  }
  if (!isExternalOrRemovable(linuxPlacement(disk, sysfsRoot)))
    return NotOfferedReason(Kind::internalDisk);
  return std::nullopt;
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
  return !linuxNotOfferedReason(disk, sysfsRoot);
}

QString linuxStableId(const LsblkDevice& device, const QString& sysfsRoot,
                      const QString& byIdDir) {
  if (device.type == QLatin1String("disk")) {
    const QString wwn = idWord(device.wwn);
    if (!wwn.isEmpty()) return QStringLiteral("wwn-") + wwn;
    const QString serial = idWord(device.serial);
    if (!serial.isEmpty()) {
      const QString bus = linuxBus(device, sysfsRoot);
      const QString model = idWord(linuxModel(device, sysfsRoot));
      return (bus.isEmpty() ? QStringLiteral("disk") : bus) + QLatin1Char('-') +
             (model.isEmpty() ? serial : model + QLatin1Char('_') + serial);
    }
  }
  return byIdName(device.name, byIdDir);
}

QList<BlockDevice> linuxBlockDevices(const QList<LsblkDevice>& tree, const QString& sysfsRoot,
                                     const QString& byIdDir) {
  QList<BlockDevice> devices;
  QSet<QString> seen;
  for (const LsblkDevice& device : tree) flatten(device, nullptr, sysfsRoot, byIdDir, seen, devices);
  return devices;
}

}  // namespace tessaro
