// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DevicePaths.h"
#include "drives/FormatRequestRules.h"
#include "drives/MacDiskTools.h"
#include "drives/ShellQuote.h"

namespace tessaro {

std::optional<QString> MacDiskTools::validateFormat(const FormatRequest& request) const {
  if (auto refusal = refuseMacVolumeName(request.volumeName)) return refusal;
  if (request.partitionBytes) {
    return QStringLiteral("Formatting only part of a drive is not available on macOS yet.");
  }
  if (request.drive.size > 0)
    return refuseClusterSize(request.clusterBytes, request.drive.size, 512);
  return std::nullopt;
}

QString MacDiskTools::formattedPartitionPath(const Drive& drive) const {
  return drive.devicePath + QStringLiteral("s1");
}

// Erase with an MBR scheme, unmount the new partition, rebuild it as FAT32
// through its raw node, mount it again.
PrivilegedCommand MacDiskTools::formatCommand(const FormatRequest& request) const {
  const QString name = shellQuote(request.volumeName);
  const QString partition = formattedPartitionPath(request.drive);
  const QString rawPartition = rawDevicePathOf(partition);
  const auto& bytes = request.clusterBytes;
  const QString newfs = bytes && *bytes >= 512 && *bytes % 512 == 0
                            ? QStringLiteral("/sbin/newfs_msdos -F 32 -b ") +
                                  QString::number(*bytes) + QStringLiteral(" -v ")
                            : QStringLiteral("/sbin/newfs_msdos -F 32 -v ");
  const QString line = QStringLiteral("/usr/sbin/diskutil eraseDisk MS-DOS ") + name +
                       QStringLiteral(" MBRFormat ") + request.drive.devicePath +
                       QStringLiteral(" && /usr/sbin/diskutil unmount ") + partition +
                       QStringLiteral(" && ") + newfs + name + QLatin1Char(' ') + rawPartition +
                       QStringLiteral(" && /usr/sbin/diskutil mount ") + partition;
  return PrivilegedCommand{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}, line};
}

}  // namespace tessaro
