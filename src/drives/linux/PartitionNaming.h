// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// The kernel's name for partition n of a whole disk: sdb -> sdb1, but a "p"
// goes in when the disk's name ends in a digit: mmcblk0 -> mmcblk0p1,
// nvme0n1 -> nvme0n1p1, loop0 -> loop0p1.
inline QString linuxPartitionName(const QString& disk, int number) {
  const bool endsInDigit = !disk.isEmpty() && disk.back().isDigit();
  return disk + (endsInDigit ? QStringLiteral("p") : QString()) + QString::number(number);
}

// The partition a format creates: /dev/sdb1, /dev/mmcblk0p1, /dev/loop0p1.
inline QString linuxFormatPartitionPath(const QString& diskPath) {
  const int slash = diskPath.lastIndexOf(QLatin1Char('/'));
  return diskPath.left(slash + 1) + linuxPartitionName(diskPath.mid(slash + 1), 1);
}

}  // namespace tessaro
