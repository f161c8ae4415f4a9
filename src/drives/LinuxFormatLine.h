#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro {

// Everything the Linux format line depends on, as the helper finds it on the
// disk just before running it.
struct LinuxFormatPlan {
  QString diskPath;            // /dev/sdb, /dev/loop0
  QStringList mountedDevices;  // unmounted first, in this order
  QStringList partitionPaths;  // their signatures are cleared before the disk's
  qint64 diskBytes = 0;
  int logicalSectorSize = 512;
  QString volumeName;               // as derived, not quoted
  std::optional<int> clusterBytes;  // none: mkfs.fat's default
  QString udevadmPath;              // empty where udev does not run
};

// The partition the line creates: /dev/sdb1, /dev/mmcblk0p1, /dev/loop0p1.
QString linuxFormatPartitionPath(const QString& diskPath);

// One "/bin/sh -c" line: unmount, clear signatures (partitions, then the
// disk), write a dos table with one type 0x0c partition from 1 MiB to the
// end, make the kernel re-read it and wait for the partition node, then
// mkfs.fat -F 32 on it. Steps are joined by " && ".
QString linuxFormatShellLine(const LinuxFormatPlan& plan);

// Lines the helper prints before the run (a disk larger than the table can
// describe).
QStringList linuxFormatNotes(const LinuxFormatPlan& plan);

}  // namespace tessaro
