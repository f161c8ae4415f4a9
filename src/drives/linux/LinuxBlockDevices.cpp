// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxBlockDevices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>

#include "exec/Error.h"

namespace tessaro {

namespace {

struct DevicesText {
  Q_DECLARE_TR_FUNCTIONS(LinuxBlockDevices)
};

QString text(const QJsonObject& device, const char* key) {
  return device.value(QLatin1String(key)).toString();
}

bool flag(const QJsonObject& device, const char* key) {
  const QJsonValue value = device.value(QLatin1String(key));
  // Older util-linux prints flags as "0"/"1".
  if (value.isString()) return value.toString() == QLatin1String("1");
  return value.toBool();
}

QString readSysfs(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).trimmed();
}

QStringList mountpointsOf(const QJsonObject& device) {
  QStringList result;
  for (const QJsonValue& value : device.value(QLatin1String("mountpoints")).toArray())
    if (value.isString()) result << value.toString();
  const QJsonValue single = device.value(QLatin1String("mountpoint"));
  if (single.isString()) result << single.toString();
  return result;
}

bool isUserMediaMount(const QString& mountpoint) {
  for (const char* root : {"/media", "/run/media"}) {
    const QLatin1String prefix(root);
    if (mountpoint == prefix || mountpoint.startsWith(prefix + QLatin1Char('/'))) return true;
  }
  return false;
}

bool isStackMember(const QJsonObject& device) {
  const QString fstype = text(device, "fstype");
  static const QStringList memberTypes{
      QStringLiteral("swap"),        QStringLiteral("LVM2_member"),
      QStringLiteral("crypto_LUKS"), QStringLiteral("linux_raid_member"),
      QStringLiteral("zfs_member"),  QStringLiteral("bcache")};
  if (memberTypes.contains(fstype) || fstype.endsWith(QLatin1String("_raid_member"))) return true;
  const QString type = text(device, "type");
  return type == QLatin1String("lvm") || type == QLatin1String("crypt") ||
         type.startsWith(QLatin1String("raid")) || type == QLatin1String("md") ||
         type == QLatin1String("dm") || type == QLatin1String("mpath");
}

// Devices behind Thunderbolt and USB4 ports have a PCI parent the kernel
// marks "removable"; built-in PCI devices say "fixed" or "unknown".
bool hasRemovablePciParent(const QString& name, const QString& sysfsRoot) {
  static const QRegularExpression pciAddress(
      QStringLiteral("^[0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2}\\.[0-9a-f]$"));
  const QString devices = QFileInfo(sysfsRoot + QStringLiteral("/devices")).canonicalFilePath();
  QString path = QFileInfo(sysfsRoot + QStringLiteral("/block/") + name).canonicalFilePath();
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

QStringList lsblkArguments() {
  return {QStringLiteral("--json"), QStringLiteral("--bytes"), QStringLiteral("--output"),
          QStringLiteral("NAME,TYPE,SIZE,RM,TRAN,SUBSYSTEMS,VENDOR,MODEL,FSTYPE,MOUNTPOINTS")};
}

QJsonArray parseLsblkDevices(const QString& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError)
    throw Error(ErrorDomain::json, error.error,
                DevicesText::tr("lsblk output could not be read: %1").arg(error.errorString()));
  const QJsonValue devices = document.object().value(QLatin1String("blockdevices"));
  if (!document.isObject() || !devices.isArray())
    throw Error(ErrorDomain::json, QJsonParseError::MissingObject,
                DevicesText::tr("lsblk output could not be read: no \"blockdevices\" list"));
  return devices.toArray();
}

bool isVirtualDeviceName(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral(
      "^(loop\\d+|zram\\d+|ram\\d+|md\\d+|md_.+|dm-\\d+|nbd\\d+|mmcblk\\d+(boot\\d+|rpmb))$"));
  return pattern.match(name).hasMatch();
}

bool holdsRunningSystem(const QJsonObject& lsblkDiskWithChildren) {
  if (isStackMember(lsblkDiskWithChildren)) return true;
  for (const QString& mountpoint : mountpointsOf(lsblkDiskWithChildren))
    if (!isUserMediaMount(mountpoint)) return true;
  for (const QJsonValue& child : lsblkDiskWithChildren.value(QLatin1String("children")).toArray())
    if (holdsRunningSystem(child.toObject())) return true;
  return false;
}

QString linuxBus(const QJsonObject& disk, const QString& sysfsRoot) {
  const QString name = text(disk, "name");
  const QString tran = text(disk, "tran").toLower();
  const QStringList subsystems = text(disk, "subsystems").split(QLatin1Char(':'));
  if (tran == QLatin1String("usb") || subsystems.contains(QLatin1String("usb")))
    return QStringLiteral("usb");
  if (tran == QLatin1String("sbp") || subsystems.contains(QLatin1String("firewire")))
    return QStringLiteral("firewire");
  if (isMmcDisk(name) && readSysfs(sysfsRoot + QStringLiteral("/block/") + name +
                                   QStringLiteral("/device/type")) == QLatin1String("SD"))
    return QStringLiteral("sd");
  if (hasRemovablePciParent(name, sysfsRoot)) return QStringLiteral("thunderbolt");
  return tran;
}

DiskPlacement linuxPlacement(const QJsonObject& disk, const QString& sysfsRoot) {
  DiskPlacement placement;
  placement.bus = linuxBus(disk, sysfsRoot);
  placement.removable = flag(disk, "rm") || placement.bus == QLatin1String("sd");
  placement.ejectable = externalBusProtocols.contains(placement.bus);
  placement.internal = !placement.removable && !placement.ejectable;
  return placement;
}

QString linuxModel(const QJsonObject& disk, const QString& sysfsRoot) {
  const QString vendor = text(disk, "vendor").trimmed();
  QString model = text(disk, "model").trimmed();
  const QString name = text(disk, "name");
  if (model.isEmpty() && isMmcDisk(name))
    return readSysfs(sysfsRoot + QStringLiteral("/block/") + name + QStringLiteral("/device/name"));
  const bool placeholderVendor = vendor.compare(QLatin1String("ATA"), Qt::CaseInsensitive) == 0 ||
                                 vendor.startsWith(QLatin1String("0x"));
  if (vendor.isEmpty() || placeholderVendor || model.startsWith(vendor, Qt::CaseInsensitive))
    return model;
  return model.isEmpty() ? vendor : vendor + QLatin1Char(' ') + model;
}

qint64 lsblkSize(const QJsonObject& device) {
  const QJsonValue value = device.value(QLatin1String("size"));
  if (value.isString()) return value.toString().toLongLong();
  return value.toInteger();
}

bool isOfferableDisk(const QJsonObject& lsblkDiskWithChildren, const QString& sysfsRoot) {
  const QJsonObject& disk = lsblkDiskWithChildren;
  return text(disk, "type") == QLatin1String("disk") && !isVirtualDeviceName(text(disk, "name")) &&
         lsblkSize(disk) > 0 && !holdsRunningSystem(disk) &&
         isExternalOrRemovable(linuxPlacement(disk, sysfsRoot));
}

}  // namespace tessaro
