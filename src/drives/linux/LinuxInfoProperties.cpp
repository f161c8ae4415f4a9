// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxInfoProperties.h"

#include <QJsonArray>
#include <QtEndian>

#include "drives/LogicalSectorSize.h"
#include "drives/linux/LinuxBlockDevices.h"

namespace tessaro {
namespace {

QString text(const QJsonObject& device, const char* key) {
  return device.value(QLatin1String(key)).toString().trimmed();
}

qint64 integer(const QJsonObject& device, const char* key) {
  const QJsonValue value = device.value(QLatin1String(key));
  if (value.isString()) return value.toString().toLongLong();
  return value.toInteger();
}

bool flag(const QJsonObject& device, const char* key) {
  const QJsonValue value = device.value(QLatin1String(key));
  if (value.isString()) return value.toString() == QLatin1String("1");
  return value.toBool();
}

void insertText(QVariantMap& into, const QString& key, const QString& value) {
  if (!value.isEmpty()) into.insert(key, value);
}

void insertSizes(QVariantMap& into, const QJsonObject& device) {
  const auto blockSize = lsblkLogicalSectorSize(device);
  if (device.contains(QLatin1String("log-sec")) && blockSize) {
    into.insert(QStringLiteral("DeviceBlockSize"), qint64(*blockSize));
  }
  into.insert(QStringLiteral("TotalSize"), integer(device, "size"));
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

QStringList linuxInfoLsblkArguments() {
  return {QStringLiteral("--json"), QStringLiteral("--bytes"), QStringLiteral("--output"),
          QStringLiteral("NAME,PATH,TYPE,SIZE,LOG-SEC,RM,HOTPLUG,TRAN,SUBSYSTEMS,VENDOR,MODEL,"
                         "MOUNTPOINTS")};
}

QString busProtocolName(const QString& linuxBus, const QString& deviceType) {
  if (deviceType == QLatin1String("loop")) return QStringLiteral("Disk Image");
  static const QMap<QString, QString> names{
      {QStringLiteral("usb"), QStringLiteral("USB")},
      {QStringLiteral("sd"), QStringLiteral("SD")},
      {QStringLiteral("firewire"), QStringLiteral("FireWire")},
      {QStringLiteral("thunderbolt"), QStringLiteral("Thunderbolt")},
      {QStringLiteral("sata"), QStringLiteral("SATA")},
      {QStringLiteral("ata"), QStringLiteral("ATA")},
      {QStringLiteral("nvme"), QStringLiteral("PCI-Express")},
      {QStringLiteral("sas"), QStringLiteral("SAS")},
      {QStringLiteral("iscsi"), QStringLiteral("iSCSI")},
  };
  const QString bus = linuxBus.toLower();
  return names.value(bus, linuxBus.toUpper());
}

QVariantMap linuxDiskProperties(const QJsonObject& lsblkDisk, const QString& sysfsRoot) {
  QVariantMap properties;
  const DiskPlacement placement = linuxPlacement(lsblkDisk, sysfsRoot);
  insertText(properties, QStringLiteral("DeviceNode"), text(lsblkDisk, "path"));
  insertText(properties, QStringLiteral("DeviceModel"), text(lsblkDisk, "model"));
  insertText(properties, QStringLiteral("MediaName"), linuxModel(lsblkDisk, sysfsRoot));
  insertText(properties, QStringLiteral("BusProtocol"),
             busProtocolName(placement.bus, text(lsblkDisk, "type")));
  properties.insert(QStringLiteral("Removable"), placement.removable);
  properties.insert(QStringLiteral("Ejectable"), placement.ejectable || flag(lsblkDisk, "hotplug"));
  properties.insert(QStringLiteral("WholeDisk"), true);
  // diskutil names a whole disk as its own parent.
  insertText(properties, QStringLiteral("ParentWholeDisk"), text(lsblkDisk, "name"));
  insertSizes(properties, lsblkDisk);
  return properties;
}

QMap<QString, QString> parseBlkidExport(const QByteArray& text) {
  QMap<QString, QString> values;
  for (const QByteArray& line : text.split('\n')) {
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0) continue;
    QByteArray value;
    const QByteArray escaped = line.mid(equals + 1);
    for (qsizetype i = 0; i < escaped.size(); ++i) {
      if (escaped[i] == '\\' && i + 1 < escaped.size()) ++i;
      value += escaped[i];
    }
    values.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(value));
  }
  return values;
}

QString filesystemName(const QString& blkidType, const QString& blkidVersion) {
  if (blkidType == QLatin1String("vfat") || blkidType == QLatin1String("msdos")) {
    const QString version = blkidVersion.isEmpty() ? QStringLiteral("FAT") : blkidVersion;
    return QStringLiteral("MS-DOS (") + version + QLatin1Char(')');
  }
  if (blkidType == QLatin1String("exfat")) return QStringLiteral("ExFAT");
  if (blkidType == QLatin1String("ntfs")) return QStringLiteral("NTFS");
  return blkidType;
}

std::optional<int> fatClusterBytes(const QByteArray& bootSector) {
  if (bootSector.size() < 512) return std::nullopt;
  const auto* bytes = reinterpret_cast<const uchar*>(bootSector.constData());
  if (bytes[510] != 0x55 || bytes[511] != 0xAA) return std::nullopt;
  const int bytesPerSector = qFromLittleEndian<quint16>(bytes + 11);
  const int sectorsPerCluster = bytes[13];
  if (bytesPerSector < 512 || bytesPerSector > 4096 || !isPowerOfTwo(bytesPerSector) ||
      !isPowerOfTwo(sectorsPerCluster)) {
    return std::nullopt;
  }
  return bytesPerSector * sectorsPerCluster;
}

QVariantMap linuxPartitionProperties(const QJsonObject& lsblkPartition, const QString& diskName,
                                     const QMap<QString, QString>& blkid,
                                     const QByteArray& bootSector) {
  QVariantMap properties;
  insertText(properties, QStringLiteral("DeviceNode"), text(lsblkPartition, "path"));
  properties.insert(QStringLiteral("WholeDisk"), false);
  insertText(properties, QStringLiteral("ParentWholeDisk"), diskName);
  insertSizes(properties, lsblkPartition);

  const QString type = blkid.value(QStringLiteral("TYPE"));
  insertText(properties, QStringLiteral("VolumeName"), blkid.value(QStringLiteral("LABEL")));
  insertText(properties, QStringLiteral("FilesystemType"), type);
  insertText(properties, QStringLiteral("FilesystemName"),
             filesystemName(type, blkid.value(QStringLiteral("VERSION"))));
  for (const QJsonValue& mountpoint :
       lsblkPartition.value(QLatin1String("mountpoints")).toArray()) {
    if (mountpoint.isString() && mountpoint.toString().startsWith(QLatin1Char('/'))) {
      properties.insert(QStringLiteral("MountPoint"), mountpoint.toString());
      break;
    }
  }
  if (type == QLatin1String("vfat")) {
    if (auto cluster = fatClusterBytes(bootSector)) {
      properties.insert(QStringLiteral("FilesystemBlockSize"), qint64(*cluster));
    }
  }
  return properties;
}

}  // namespace tessaro
