// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LinuxFormatSteps.h"

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
  return {QStringLiteral("umount"), QStringLiteral("wipefs"),   QStringLiteral("sfdisk"),
          QStringLiteral("partx"),  QStringLiteral("mkfs.fat"), QStringLiteral("fsck.fat")};
}

QList<ToolStep> linuxUnmountSteps(const QString& umount, const QStringList& mountedDevices) {
  QList<ToolStep> steps;
  for (const QString& mounted : mountedDevices)
    steps.append({{umount, QStringLiteral("--all-targets"), mounted}, {}});
  return steps;
}

QList<ToolStep> linuxPartitionSteps(const LinuxFormatPlan& plan) {
  const QString wipefs = plan.tools.value(QStringLiteral("wipefs"));
  // The helper holds the disk exclusively (O_EXCL) while these run, so the
  // tools must not ask for it themselves: wipefs --force opens the devices
  // without O_EXCL (and so neither sleeps nor asks the kernel to re-read the
  // table); sfdisk --no-reread skips its in-use test (the helper's claim is
  // that test) and --no-tell-kernel its re-read; partx tells the kernel of
  // the new partition, which it does while the disk is claimed.
  // One wipefs for all: it clears the devices in the order named.
  QList<ToolStep> steps{
      {QStringList{wipefs, QStringLiteral("--all"), QStringLiteral("--force"), kNoLock} +
           plan.partitionPaths + QStringList{plan.diskPath},
       {}}};
  steps.append({{plan.tools.value(QStringLiteral("sfdisk")), QStringLiteral("--no-reread"),
                 QStringLiteral("--no-tell-kernel"), kNoLock, plan.diskPath},
                sfdiskScript(fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize,
                                                  plan.partitionBytes))});
  steps.append(
      {{plan.tools.value(QStringLiteral("partx")), QStringLiteral("-u"), plan.diskPath}, {}});
  return steps;
}

Fat32Layout linuxFat32Layout(const LinuxFormatPlan& plan) {
  const PartitionLayout partition =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  return plannedFat32Layout(
      partition, plan.logicalSectorSize,
      formatClusterBytes(plan.clusterBytes, partition, plan.logicalSectorSize));
}

QStringList linuxMkfsArguments(const Fat32Layout& layout, const QString& volumeName) {
  return {
      QStringLiteral("-F"),
      QStringLiteral("32"),
      QStringLiteral("-s"),
      QString::number(layout.clusterSectors),
      QStringLiteral("-R"),
      QString::number(layout.reservedSectors),
      QStringLiteral("-g"),
      QString::number(layout.heads) + QLatin1Char('/') + QString::number(layout.sectorsPerTrack),
      QStringLiteral("-h"),
      QString::number(layout.partitionStart),
      QStringLiteral("-n"),
      volumeName};
}

ToolStep linuxMkfsStep(const LinuxFormatPlan& plan) {
  return {QStringList{plan.tools.value(QStringLiteral("mkfs.fat"))} +
              linuxMkfsArguments(linuxFat32Layout(plan), plan.volumeName) +
              QStringList{linuxFormatPartitionPath(plan.diskPath)},
          {}};
}

QStringList linuxFormatNotes(const LinuxFormatPlan& plan) {
  const std::optional<qint64> end =
      mbrLimitedEnd(plan.diskBytes, plan.partitionBytes, plan.logicalSectorSize);
  if (!end) return {};
  return {QStringLiteral("Note: an MBR partition table can describe only the first ") +
          QString::number(*end / (1024 * 1024 * 1024)) + QStringLiteral(" GiB of ") +
          plan.diskPath + QStringLiteral("; the rest of the disk stays unused.")};
}

}  // namespace tessaro
