#include "drives/FormatRequestRules.h"
#include "drives/LinuxDiskTools.h"
#include "drives/ShellQuote.h"

namespace tessaro {

std::optional<QString> LinuxDiskTools::validateFormat(const FormatRequest& request) const {
  if (auto refusal = refuseLinuxVolumeName(request.volumeName)) return refusal;
  // The drive's logical sector size is known only to the helper, which checks
  // again with it; nearly every removable drive has 512-byte sectors.
  if (request.drive.size > 0)
    return refuseClusterSize(request.clusterBytes, request.drive.size, 512);
  return std::nullopt;
}

// The helper composes and prints the real shell line itself, with what it
// reads from the disk as root (mounted partitions, sector size).
PrivilegedCommand LinuxDiskTools::formatCommand(const FormatRequest& request) const {
  PrivilegedCommand command;
  command.tool = helperPath();
  command.args = {
      QStringLiteral("format"), request.drive.devicePath, request.volumeName,
      request.clusterBytes ? QString::number(*request.clusterBytes) : QStringLiteral("default")};
  QStringList words{shellQuote(command.tool)};
  for (const QString& arg : command.args) words << shellQuote(arg);
  command.commandLine = words.join(QLatin1Char(' '));
  return command;
}

}  // namespace tessaro
