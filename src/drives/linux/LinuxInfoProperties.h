// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace tessaro {

// The Linux side of the drive information report: the same two property-list
// dictionaries that "diskutil info -plist" prints for a disk and its
// partition, made from lsblk, blkid and the file system's boot sector.

// lsblk's arguments (after its path, before the device) for the records read here.
QStringList linuxInfoLsblkArguments();

// The bus as users know it: "USB", "SD", "FireWire", "Thunderbolt", "SATA",
// "PCI-Express"; "Disk Image" for a loop device; empty when unknown.
QString busProtocolName(const QString& linuxBus, const QString& deviceType);

// The whole disk: DeviceNode, DeviceModel, MediaName, BusProtocol, Removable,
// Ejectable, WholeDisk, ParentWholeDisk, DeviceBlockSize, TotalSize. Texts that
// are unknown are left out.
QVariantMap linuxDiskProperties(const QJsonObject& lsblkDisk, const QString& sysfsRoot);

// "blkid -p -o export" output as keys and values, its backslash escapes undone.
QMap<QString, QString> parseBlkidExport(const QByteArray& text);

// The file system's name as diskutil gives it: "MS-DOS (FAT32)" for vfat with
// FAT32, and so on; the type itself for others; empty without a file system.
QString filesystemName(const QString& blkidType, const QString& blkidVersion);

// Bytes per cluster from a FAT boot sector (bytes per sector times sectors per
// cluster); none when the sector is not a FAT boot sector.
std::optional<int> fatClusterBytes(const QByteArray& bootSector);

// The partition: DeviceNode, WholeDisk, ParentWholeDisk, DeviceBlockSize,
// TotalSize, VolumeName, FilesystemType, FilesystemName, MountPoint (left out
// when not mounted), FilesystemBlockSize (left out when unknown).
QVariantMap linuxPartitionProperties(const QJsonObject& lsblkPartition, const QString& diskName,
                                     const QMap<QString, QString>& blkid,
                                     const QByteArray& bootSector);

}  // namespace tessaro
