#include "drives/LinuxFormatLine.h"

#include "drives/FormatRequestRules.h"
#include "drives/PartitionNaming.h"
#include "drives/ShellQuote.h"

namespace tessaro {

namespace {

// How long to wait for the kernel to create the partition's node: 100 tries,
// a tenth of a second apart.
constexpr int kNodeWaitTries = 100;

QString sfdiskScript(const PartitionLayout& layout) {
  QString partition = QStringLiteral("start=") + QString::number(layout.startSector);
  if (layout.truncated)
    partition += QStringLiteral(", size=") + QString::number(layout.sectorCount);
  partition += QStringLiteral(", type=c");
  return QStringLiteral("printf '%s\\n' 'label: dos' '") + partition + QStringLiteral("'");
}

QString waitForNode(const QString& quotedNode) {
  return QStringLiteral("{ n=0; while [ ! -b ") + quotedNode + QStringLiteral(" ] && [ $n -lt ") +
         QString::number(kNodeWaitTries) +
         QStringLiteral(" ]; do sleep 0.1; n=$((n+1)); done; [ -b ") + quotedNode +
         QStringLiteral(" ] || { echo ") + quotedNode +
         QStringLiteral("' did not appear'; false; }; }");
}

}  // namespace

QString linuxFormatPartitionPath(const QString& diskPath) {
  const int slash = diskPath.lastIndexOf(QLatin1Char('/'));
  return diskPath.left(slash + 1) + linuxPartitionName(diskPath.mid(slash + 1), 1);
}

QString linuxFormatShellLine(const LinuxFormatPlan& plan) {
  const QString disk = shellQuote(plan.diskPath);
  const QString partition = shellQuote(linuxFormatPartitionPath(plan.diskPath));
  const PartitionLayout layout = fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize);

  QStringList steps;
  for (const QString& mounted : plan.mountedDevices) {
    steps << QStringLiteral("/usr/bin/umount ") + shellQuote(mounted);
  }
  for (const QString& old : plan.partitionPaths) {
    steps << QStringLiteral("/usr/sbin/wipefs --all ") + shellQuote(old);
  }
  steps << QStringLiteral("/usr/sbin/wipefs --all ") + disk;
  steps << sfdiskScript(layout) + QStringLiteral(" | /usr/sbin/sfdisk ") + disk;
  steps << QStringLiteral("/usr/bin/partx -u ") + disk;
  if (!plan.udevadmPath.isEmpty()) steps << plan.udevadmPath + QStringLiteral(" settle");
  steps << waitForNode(partition);

  QString mkfs = QStringLiteral("/usr/sbin/mkfs.fat -F 32 ");
  if (plan.clusterBytes) {
    mkfs += QStringLiteral("-s ") + QString::number(*plan.clusterBytes / plan.logicalSectorSize) +
            QStringLiteral(" ");
  }
  mkfs += QStringLiteral("-n ") + shellQuote(plan.volumeName) + QStringLiteral(" ") + partition;
  steps << mkfs;
  return steps.join(QStringLiteral(" && "));
}

QStringList linuxFormatNotes(const LinuxFormatPlan& plan) {
  const PartitionLayout layout = fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize);
  if (!layout.truncated) return {};
  const qint64 usedBytes = (layout.startSector + layout.sectorCount) * plan.logicalSectorSize;
  return {QStringLiteral("Note: an MBR partition table can describe only the first ") +
          QString::number(usedBytes / (1024 * 1024 * 1024)) + QStringLiteral(" GiB of ") +
          plan.diskPath + QStringLiteral("; the rest of the disk stays unused.")};
}

}  // namespace tessaro
