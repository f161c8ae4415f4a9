// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/FormatRequestRules.h"
#include "drives/LinuxDiskTools.h"
#include "drives/ShellQuote.h"
#include "exec/HelperContract.h"

namespace tessaro {

std::optional<QString> LinuxDiskTools::validateFormat(const FormatRequest& request) const {
  if (auto refusal = refuseLinuxVolumeName(request.volumeName)) return refusal;
  // The drive's logical sector size is known only to the helper, which checks
  // again with it; nearly every removable drive has 512-byte sectors.
  if (request.drive.size > 0) {
    if (request.partitionBytes) {
      if (auto refusal = refusePartitionSize(*request.partitionBytes, request.drive.size))
        return refusal;
    }
    return refuseClusterSize(request.clusterBytes, request.drive.size, 512, request.partitionBytes);
  }
  return std::nullopt;
}

// The helper shows each tool it runs itself, with what it reads from the
// disk as root (mounted partitions, sector size).
PrivilegedCommand LinuxDiskTools::formatCommand(const FormatRequest& request) const {
  PrivilegedCommand command;
  command.tool = helperPath();
  command.args = {QLatin1String(HelperContract::formatVerb), request.drive.bsdName,
                  request.volumeName,
                  request.clusterBytes ? QString::number(*request.clusterBytes)
                                       : QLatin1String(HelperContract::defaultCluster)};
  if (request.partitionBytes) command.args << QString::number(*request.partitionBytes);
  command.commandLine = displayCommand(QStringList{command.tool} + command.args);
  return command;
}

std::optional<PrivilegedCommand> LinuxDiskTools::probeCommand(const QString& diskBsdName) const {
  PrivilegedCommand command;
  command.tool = helperPath();
  command.args = {QLatin1String(HelperContract::probeVerb), diskBsdName};
  command.commandLine = displayCommand(QStringList{command.tool} + command.args);
  return command;
}

}  // namespace tessaro
