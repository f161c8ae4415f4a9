// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "drives/Fat32Layout.h"

namespace tessaro {

// One tool run of a Linux format: the program by its absolute path and its
// arguments, and what it reads on standard input (empty: nothing).
struct ToolStep {
  QStringList command;
  QByteArray input;

  bool operator==(const ToolStep&) const = default;
};

// Everything the Linux format steps depend on, as the helper finds it on the
// disk just before running them.
struct LinuxFormatPlan {
  QString diskPath;            // /dev/sdb, /dev/loop0
  QStringList mountedDevices;  // unmounted first, in this order
  QStringList partitionPaths;  // their signatures are cleared before the disk's
  qint64 diskBytes = 0;
  int logicalSectorSize = 512;
  QString volumeName;                    // as derived, not quoted
  std::optional<int> clusterBytes;       // none: mkfs.fat's default
  std::optional<qint64> partitionBytes;  // none: to the end of the disk
  QMap<QString, QString> tools;  // tool name -> absolute path ("wipefs" -> "/usr/sbin/wipefs")
};

// The tools the format steps and their read-back run, by name.
QStringList linuxFormatToolNames();

// Unmounts each device, in the order given, from every place it is mounted
// (bind mounts too): one `umount --all-targets DEVICE` each, umount being the
// tool's absolute path. Format, check and capacity test unmount alike.
QList<ToolStep> linuxUnmountSteps(const QString& umount, const QStringList& mountedDevices);

// The writes up to the new partition: clear signatures (partitions, then the
// disk, in one wipefs), write a dos table with one type 0x0c partition from 1 MiB to the end
// or of the plan's partition size (sfdisk reads the script on standard input), make the kernel read
// it. wipefs and sfdisk take no lock of their own: the helper holds the disk's lock for the whole
// format (see DiskLock).
QList<ToolStep> linuxPartitionSteps(const LinuxFormatPlan& plan);

// The file system the plan makes (plannedFat32Layout with the cluster size
// formatClusterBytes gives).
Fat32Layout linuxFat32Layout(const LinuxFormatPlan& plan);

// What mkfs.fat is told for that layout, before the device: FAT32, the
// cluster size, reserved sectors and geometry in sectors, the partition's
// start in the disk's own logical sectors as the hidden sectors (mkfs.fat's
// own guess counts 512-byte units, eight times too many on a disk of
// 4096-byte sectors), the volume name.
// Nothing is left to mkfs.fat's own choice, so the layout is the planned one
// on any device (and on a file of its size and sector size).
QStringList linuxMkfsArguments(const Fat32Layout& layout, const QString& volumeName);

// mkfs.fat on the new partition with linuxMkfsArguments.
ToolStep linuxMkfsStep(const LinuxFormatPlan& plan);

// Lines the helper prints before the steps (a disk larger than the table can
// describe).
QStringList linuxFormatNotes(const LinuxFormatPlan& plan);

}  // namespace tessaro
