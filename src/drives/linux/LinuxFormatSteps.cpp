// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxFormatSteps.h"

#include "drives/FormatRequestRules.h"
#include "drives/linux/PartitionNaming.h"

namespace tessaro {

namespace {

QByteArray sfdiskScript(const PartitionLayout& layout) {
  QByteArray partition = "start=" + QByteArray::number(layout.startSector);
  if (layout.truncated || layout.sized)
    partition += ", size=" + QByteArray::number(layout.sectorCount);
  return "label: dos\n" + partition + ", type=c\n";
}

// The helper holds the disk's lock itself; a tool that asked for it as well
// would wait for the helper forever, or fail.
const QString kNoLock = QStringLiteral("--lock=no");

}  // namespace

QStringList linuxFormatToolNames() {
  return {QStringLiteral("umount"),  QStringLiteral("wipefs"),   QStringLiteral("sfdisk"),
          QStringLiteral("partx"),   QStringLiteral("mkfs.fat"), QStringLiteral("blkid"),
          QStringLiteral("fsck.fat")};
}

QString linuxFormatPartitionPath(const QString& diskPath) {
  const int slash = diskPath.lastIndexOf(QLatin1Char('/'));
  return diskPath.left(slash + 1) + linuxPartitionName(diskPath.mid(slash + 1), 1);
}

QList<ToolStep> linuxUnmountSteps(const LinuxFormatPlan& plan) {
  QList<ToolStep> steps;
  for (const QString& mounted : plan.mountedDevices) {
    steps.append({{plan.tools.value(QStringLiteral("umount")), mounted}, {}});
  }
  return steps;
}

QList<ToolStep> linuxPartitionSteps(const LinuxFormatPlan& plan) {
  const QString wipefs = plan.tools.value(QStringLiteral("wipefs"));
  QList<ToolStep> steps;
  for (const QString& old : plan.partitionPaths) {
    steps.append({{wipefs, QStringLiteral("--all"), kNoLock, old}, {}});
  }
  steps.append({{wipefs, QStringLiteral("--all"), kNoLock, plan.diskPath}, {}});
  steps.append({{plan.tools.value(QStringLiteral("sfdisk")), kNoLock, plan.diskPath},
                sfdiskScript(fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize,
                                                  plan.partitionBytes))});
  steps.append(
      {{plan.tools.value(QStringLiteral("partx")), QStringLiteral("-u"), plan.diskPath}, {}});
  return steps;
}

ToolStep linuxMkfsStep(const LinuxFormatPlan& plan) {
  QStringList command{plan.tools.value(QStringLiteral("mkfs.fat")), QStringLiteral("-F"),
                      QStringLiteral("32")};
  if (plan.clusterBytes) {
    command << QStringLiteral("-s") << QString::number(*plan.clusterBytes / plan.logicalSectorSize);
  }
  command << QStringLiteral("-n") << plan.volumeName << linuxFormatPartitionPath(plan.diskPath);
  return {command, {}};
}

QStringList linuxFormatNotes(const LinuxFormatPlan& plan) {
  const PartitionLayout layout =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  if (!layout.truncated) return {};
  const qint64 usedBytes = (layout.startSector + layout.sectorCount) * plan.logicalSectorSize;
  return {QStringLiteral("Note: an MBR partition table can describe only the first ") +
          QString::number(usedBytes / (1024 * 1024 * 1024)) + QStringLiteral(" GiB of ") +
          plan.diskPath + QStringLiteral("; the rest of the disk stays unused.")};
}

}  // namespace tessaro
