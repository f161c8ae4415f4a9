// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/info/LinuxDriveFacts.h"

#include <QtEndian>

#include "drives/linux/LinuxDiskRules.h"

namespace tessaro {
namespace {

std::optional<std::string> unlessEmpty(const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  return text.toStdString();
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

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

DriveFacts::Disk linuxDiskFacts(const LsblkDevice& disk, const QString& sysfsRoot) {
  const DiskPlacement placement = linuxPlacement(disk, sysfsRoot.toStdString());
  DriveFacts::Disk facts;
  facts.deviceNode = unlessEmpty(QString::fromStdString(disk.path).trimmed());
  facts.model = unlessEmpty(QString::fromStdString(disk.model).trimmed());
  if (!facts.model)
    facts.model = unlessEmpty(QString::fromStdString(linuxModel(disk, sysfsRoot.toStdString())));
  facts.bus = unlessEmpty(busProtocolName(QString::fromStdString(placement.bus),
                                          QString::fromStdString(disk.type).trimmed()));
  facts.removable = placement.removable;
  facts.ejectable = placement.ejectable || disk.hotplug;
  facts.wholeDisk = true;
  // diskutil names a whole disk as its own parent; so does the report.
  facts.parentWholeDisk = unlessEmpty(QString::fromStdString(disk.name).trimmed());
  if (disk.logicalSectorSizeReported && disk.logicalSectorSize)
    facts.deviceBlockSize = *disk.logicalSectorSize;
  facts.totalSize = disk.size;
  return facts;
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

DriveFacts::Partition linuxPartitionFacts(const LsblkDevice& partition,
                                          const QMap<QString, QString>& blkid,
                                          const QByteArray& bootSector) {
  DriveFacts::Partition facts;
  facts.deviceNode = unlessEmpty(QString::fromStdString(partition.path).trimmed());
  const QString type = blkid.value(QStringLiteral("TYPE"));
  facts.volumeName = unlessEmpty(blkid.value(QStringLiteral("LABEL")));
  facts.filesystem = unlessEmpty(filesystemName(type, blkid.value(QStringLiteral("VERSION"))));
  for (const std::string& mountpoint : partition.mountpoints) {
    if (mountpoint.starts_with('/')) {
      facts.mountPoint = mountpoint;
      break;
    }
  }
  if (type == QLatin1String("vfat")) {
    if (auto cluster = fatClusterBytes(bootSector)) facts.filesystemBlockSize = *cluster;
  }
  return facts;
}

}  // namespace tessaro
