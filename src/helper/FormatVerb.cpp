#include <QFileInfo>

#include "drives/FormatRequestRules.h"
#include "drives/FormatVerification.h"
#include "drives/LinuxFormatLine.h"
#include "helper/HelperSupport.h"
#include "helper/HelperVerbs.h"

namespace tessaro::helper {

namespace {

// udevadm settle only helps where udev runs; elsewhere it waits for nothing.
QString runningUdevadm() {
  if (!QFileInfo::exists(QStringLiteral("/run/udev/control"))) return {};
  for (const char* path : {"/usr/bin/udevadm", "/bin/udevadm"}) {
    if (QFileInfo(QLatin1String(path)).isExecutable()) return QLatin1String(path);
  }
  return {};
}

FormatReadBack readBack(const QString& diskPath, const QString& partitionPath) {
  FormatReadBack found;
  readSfdiskDump(QString::fromUtf8(captureTool({QStringLiteral("/usr/sbin/sfdisk"),
                                                QStringLiteral("--dump"), diskPath})
                                       .standardOutput),
                 found);
  readBlkidExport(
      QString::fromUtf8(captureTool({QStringLiteral("/usr/sbin/blkid"), QStringLiteral("-p"),
                                     QStringLiteral("-o"), QStringLiteral("export"), partitionPath})
                            .standardOutput),
      found);
  const ToolOutput fsck = captureTool({QStringLiteral("/usr/sbin/fsck.fat"), QStringLiteral("-n"),
                                       QStringLiteral("-v"), partitionPath});
  found.fsckClean = fsck.status == 0;
  readFsckVerbose(QString::fromUtf8(fsck.standardOutput), found);
  readBootSector(firstSectorOf(partitionPath), found);
  return found;
}

}  // namespace

// format <disk> <volume name> <cluster bytes | default>
int formatVerb(const QStringList& args) {
  bool clusterOk = true;
  const std::optional<int> clusterBytes = args.value(2) == QLatin1String("default")
                                              ? std::nullopt
                                              : std::optional<int>(args.value(2).toInt(&clusterOk));
  if (args.size() != 3 || !clusterOk || (clusterBytes && *clusterBytes <= 0)) {
    printLine(
        QStringLiteral("Usage: tessaro-helper format <disk> <volume name> "
                       "<cluster bytes|default>"));
    return kUsage;
  }
  const QString& devicePath = args[0];
  const QString& volumeName = args[1];

  if (const auto refusal = refuseUnsafeDevice(devicePath)) {
    printLine(*refusal);
    return kRefusedDevice;
  }
  const QString diskPath = QFileInfo(devicePath).canonicalFilePath();
  const auto tree = readDiskTree(diskPath);
  if (!tree || tree->path != diskPath) {
    printLine(QStringLiteral("Refused: ") + devicePath +
              QStringLiteral(" is a partition; a format erases a whole disk."));
    return kRefusedDevice;
  }
  auto refusal = refuseLinuxVolumeName(volumeName);
  if (!refusal) refusal = refuseClusterSize(clusterBytes, tree->size, tree->logicalSectorSize);
  if (refusal) {
    printLine(*refusal);
    return kRefusedRequest;
  }

  LinuxFormatPlan plan;
  plan.diskPath = diskPath;
  plan.mountedDevices = mountedDevices(*tree);
  for (const BlockNode& child : tree->children) plan.partitionPaths << child.path;
  plan.diskBytes = tree->size;
  plan.logicalSectorSize = tree->logicalSectorSize;
  plan.volumeName = volumeName;
  plan.clusterBytes = clusterBytes;
  plan.udevadmPath = runningUdevadm();
  for (const QString& note : linuxFormatNotes(plan)) printLine(note);
  const int status = runShellLine(linuxFormatShellLine(plan));
  if (status != 0) return status;

  FormatExpectation expected;
  expected.partitionStart =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize).startSector;
  expected.volumeName = volumeName;
  expected.clusterBytes = clusterBytes;
  const FormatVerdict verdict =
      verifyFormat(expected, readBack(diskPath, linuxFormatPartitionPath(diskPath)));
  printLine(verdict.line);
  return verdict.matches ? 0 : kVerificationFailed;
}

}  // namespace tessaro::helper
