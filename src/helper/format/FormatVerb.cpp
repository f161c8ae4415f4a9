// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include "contract/HelperContract.h"
#include "drives/FormatRequestRules.h"
#include "drives/linux/PartitionNaming.h"
#include "exec/VisibleText.h"
#include "helper/ExclusiveOpen.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"
#include "helper/LinuxFormatSteps.h"
#include "helper/format/FormatVerification.h"

namespace tessaro::helper {

namespace {

// How long to wait for the kernel to create the new partition's node: 100
// tries, a tenth of a second apart.
constexpr int kNodeWaitTries = 100;

std::optional<int> clusterArgument(const QString& word) {
  if (word == QLatin1String(HelperContract::defaultCluster)) return std::nullopt;
  static const QRegularExpression decimal(
      QRegularExpression::anchoredPattern(QStringLiteral("[1-9][0-9]{0,8}")));
  if (!decimal.match(word).hasMatch()) {
    stop(HelperContract::usage, QStringLiteral("Usage: the cluster size is \"default\" or a number "
                                               "of bytes, not \"") +
                                    visibleText(word, LineFeeds::escape) + QStringLiteral("\"."));
  }
  const int bytes = word.toInt();
  if (!isOfferedClusterSize(bytes)) {
    stop(HelperContract::refusedRequest,
         QStringLiteral("Refused: a cluster size of ") + word +
             QStringLiteral(" bytes is not offered: choose a power of two from 512 to 65536."));
  }
  return bytes;
}

// SIZE: the partition's size in bytes, a plain decimal number. It is aligned
// down to whole MiB, and checked against the disk once the disk is held.
qint64 partitionSizeArgument(const QString& word) {
  static const QRegularExpression decimal(
      QRegularExpression::anchoredPattern(QStringLiteral("[1-9][0-9]{0,17}")));
  if (!decimal.match(word).hasMatch()) {
    stop(HelperContract::usage,
         QStringLiteral("Usage: the partition size is a number of bytes, not \"") +
             visibleText(word, LineFeeds::escape) + QStringLiteral("\"."));
  }
  return word.toLongLong();
}

// The partition the table step made, once the kernel has its node.
KernelDevice waitForPartition(VerbRun& run, const KernelDevice& disk) {
  const QString name = linuxPartitionName(disk.name(), 1);
  for (int attempt = 0; attempt < kNodeWaitTries; ++attempt) {
    run.checkpoint();
    QString ignored;
    bool usage = false;
    const KernelDevice partition = KernelDevice::find(name, &ignored, &usage);
    if (partition.isValid() && partition.diskName() == disk.name()) return partition;
    QThread::msleep(100);
  }
  stop(HelperContract::toolFailed, QStringLiteral("Failed: /dev/") + name +
                                       QStringLiteral(" did not appear; ") + run.writtenNote());
}

// Runs a step that writes. Nothing can have taken the disk since the busy
// test: the steps before mkfs.fat run under the helper's exclusive hold, and
// mkfs.fat, which opens the partition exclusively itself, fails before it
// writes when something claimed it in the moment between.
void runWriteStep(VerbRun& run, const ToolStep& step) {
  const int status = run.run(step);
  if (status == 0) return;
  // The tool's own status, where it fits below the helper's.
  stop(status > 0 && status < 64 ? status : int(HelperContract::toolFailed),
       QStringLiteral("Failed: ") + QFileInfo(step.command.first()).fileName() +
           QStringLiteral(" ended with exit status ") + QString::number(status) +
           QStringLiteral("; ") + run.writtenNote());
}

[[noreturn]] void readBackFailed(const VerbRun& run, const QString& tool,
                                 const ToolOutput& output) {
  stop(HelperContract::toolFailed,
       QStringLiteral("Could not verify the format: ") + tool +
           (output.started ? QStringLiteral(" failed (exit status ") +
                                 QString::number(output.status) + QStringLiteral("); ")
                           : QStringLiteral(" could not be started; ")) +
           run.writtenNote());
}

// Reads the table, the file system and the boot sector back, read-only: the
// table from the disk, the boot sector and the root directory through the
// held partition, and fsck.fat's check of the whole file system, which is
// what the read-back costs. A failing read or tool says so; only what was
// read is judged.
FormatReadBack readBack(VerbRun& run, const HelperTools& tools, const QString& diskPath,
                        const QString& partitionPath, const ExclusiveOpen& partition) {
  FormatReadBack found;
  const auto unreadable = [&run](const QString& what) {
    stop(HelperContract::toolFailed, QStringLiteral("Could not verify the format: ") + what +
                                         QStringLiteral(" could not be read; ") +
                                         run.writtenNote());
  };
  const QByteArray table = firstSectorOf(diskPath);
  if (table.size() != 512) unreadable(QStringLiteral("the partition table of ") + diskPath);
  readMbr(table, found);

  // fsck.fat exits 1 when it finds errors; anything else above is its failure.
  const ToolOutput fsck = run.capture({tools.path(QStringLiteral("fsck.fat")), QStringLiteral("-n"),
                                       QStringLiteral("-v"), partitionPath});
  if (!fsck.started || fsck.status > 1) readBackFailed(run, QStringLiteral("fsck.fat"), fsck);
  found.fsckClean = fsck.status == 0;
  readFsckVerbose(QString::fromUtf8(fsck.standardOutput), found);

  const QByteArray bootSector = partition.read(0, 512);
  if (bootSector.size() != 512) unreadable(QStringLiteral("the boot sector of ") + partitionPath);
  readBootSector(bootSector, found);
  // The root directory is cluster 2, the first of the data area.
  const qint64 rootOffset =
      qint64(found.reservedSectors + found.fatCount * found.fatSectors) * found.bytesPerSector;
  const QByteArray rootCluster =
      found.clusterBytes() > 0 && found.clusterBytes() <= 1 << 20 && rootOffset > 0
          ? partition.read(rootOffset, found.clusterBytes())
          : QByteArray();
  readFatVolume(bootSector, rootCluster, found);
  return found;
}

// Where udev runs, the caller's next step (mounting) needs udev to have seen
// the new file system: udev does so once the lock is gone.
// The format is done by then: the wait, bounded, is not cancelled.
void settleUdev(const HelperTools& tools) {
  if (!QFileInfo::exists(QStringLiteral("/run/udev/control"))) return;
  const QString udevadm = tools.path(QStringLiteral("udevadm"));
  if (udevadm.isEmpty()) return;
  CancelWatch unwatched(-1);
  VerbRun run(unwatched);
  run.run({{udevadm, QStringLiteral("settle"), QStringLiteral("--timeout=30")}, {}});
}

}  // namespace

// format DISK NAME CLUSTER [SIZE]
int formatVerb(const QStringList& args) {
  if (args.size() != 3 && args.size() != 4) {
    stop(HelperContract::usage,
         QStringLiteral("Usage: tessaro-helper format DISK NAME CLUSTER [SIZE]"));
  }
  const KernelDevice disk = deviceNamed(args[0]);
  if (disk.isPartition()) {
    stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + disk.path() +
                                            QStringLiteral(" is a partition; a format erases a "
                                                           "whole disk."));
  }
  const QString& volumeName = args[1];
  const std::optional<int> clusterBytes = clusterArgument(args[2]);
  const std::optional<qint64> partitionBytes =
      args.size() == 4 ? std::optional<qint64>(partitionSizeArgument(args[3])) : std::nullopt;
  if (const auto refusal = refuseLinuxVolumeName(volumeName)) {
    stop(HelperContract::refusedRequest, QStringLiteral("Refused: ") + *refusal);
  }

  HelperTools tools(linuxFormatToolNames() + QStringList{QStringLiteral("udevadm")});
  {
    // udevadm is used where it is there; the rest is needed.
    HelperTools needed(linuxFormatToolNames());
    requireTools(needed);
  }
  HeldDisk held(
      disk,
      QStringLiteral("Cancelled: nothing was written to ") + disk.path() + QStringLiteral("."),
      QStringLiteral("Cancelled: ") + disk.path() +
          QStringLiteral(" is incomplete: format it again before using it."));
  VerbRun& run = held.run();
  run.setWrittenNote(disk.path() + QStringLiteral(" may be left incomplete: format it again."));
  const LsblkDevice& tree = held.tree();
  if (partitionBytes) {
    if (auto refusal = refusePartitionSize(*partitionBytes, tree.size)) {
      stop(HelperContract::refusedRequest, QStringLiteral("Refused: ") + *refusal);
    }
  }
  if (auto refusal = refuseClusterSize(clusterBytes, tree.size, tree.logicalSectorSize.value_or(0),
                                       partitionBytes)) {
    stop(HelperContract::refusedRequest, QStringLiteral("Refused: ") + *refusal);
  }

  LinuxFormatPlan plan;
  plan.diskPath = disk.path();
  plan.mountedDevices = mountedDevices(tree);
  for (const LsblkDevice& child : tree.children) {
    // Every device passed to a tool is one the kernel names below this disk.
    QString refusal;
    bool usage = false;
    const KernelDevice partition = KernelDevice::find(child.name, &refusal, &usage);
    if (!partition.isValid() || partition.diskName() != disk.name() ||
        partition.path() != child.path) {
      stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + child.path +
                                              QStringLiteral(" is not a partition of ") +
                                              disk.path() + QStringLiteral("."));
    }
    plan.partitionPaths << partition.path();
  }
  plan.diskBytes = tree.size;
  plan.logicalSectorSize = tree.logicalSectorSize.value_or(0);
  plan.volumeName = volumeName;
  plan.clusterBytes = clusterBytes;
  plan.partitionBytes = partitionBytes;
  plan.tools = tools.paths();
  for (const QString& note : linuxFormatNotes(plan)) printLine(note);

  // Unmounted, nothing else may hold the disk or a partition of it.
  held.unmount(linuxUnmountSteps(plan.tools.value(QStringLiteral("umount")), plan.mountedDevices));

  // How the disk stays held from the busy test to the last write. The
  // helper's lock (flock) keeps udev and every program that follows the
  // convention away for the whole format; against the rest the kernel's
  // exclusive claims do it, and a claim belongs to one open file, so it
  // cannot be shared with a tool:
  // - wipefs, sfdisk and partx run while the helper holds the whole disk
  //   O_EXCL (the busy test itself): no partition of it can be mounted or
  //   claimed, and the tools are told not to open it exclusively themselves;
  // - mkfs.fat opens the new partition O_EXCL itself, so the helper lets the
  //   disk go just before starting it: whatever claims the disk or mounts the
  //   partition in that moment makes mkfs.fat's open fail before it writes;
  // - the read-back holds the partition O_EXCL again, and reads its boot
  //   sector through that hold.
  ExclusiveOpen claim;
  if (const auto busy = claim.claim(disk.path(), disk.number())) {
    stop(HelperContract::deviceBusy,
         QStringLiteral("Refused: ") + *busy + QStringLiteral("; nothing was written."));
  }

  // From here on the drive is changed; a caller that goes away no longer
  // stops the format, so that it is not left half erased with nobody told.
  run.markWriting(true);
  // Progress by step: the table's and mkfs.fat. The read-back that follows
  // tells its end by the result event.
  const QList<ToolStep> tableSteps = linuxPartitionSteps(plan);
  run.planSteps(int(tableSteps.size()) + 1);
  for (const ToolStep& step : tableSteps) runWriteStep(run, step);
  const KernelDevice partition = waitForPartition(run, disk);
  claim.release();
  runWriteStep(run, linuxMkfsStep(plan));
  if (const auto busy = claim.claim(partition.path(), partition.number())) {
    stop(HelperContract::toolFailed, QStringLiteral("Could not verify the format: ") + *busy +
                                         QStringLiteral("; ") + run.writtenNote());
  }

  const PartitionLayout layout =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  const Fat32Layout fileSystem = linuxFat32Layout(plan);
  FormatExpectation expected;
  expected.partitionStart = layout.startSector;
  if (layout.sized) expected.partitionSectors = layout.sectorCount;
  expected.volumeName = volumeName;
  expected.clusterBytes = int(fileSystem.clusterBytes());
  expected.dataAlignment = fileSystem.dataAlignmentBytes();
  const FormatVerdict verdict =
      verifyFormat(expected, readBack(run, tools, disk.path(), partition.path(), claim));
  claim.release();
  run.checkpoint();
  printEvent(HelperEvent::result(QString::fromLatin1(HelperContract::formatVerb), verdict.figures));
  // A drive that does not hold what was asked is the run's failure, said in a
  // line of its own; what matches the result event tells, and the caller
  // says it in the user's language.
  if (!verdict.matches) sayFailure(HelperContract::verificationFailed, verdict.line);

  held.release();
  settleUdev(tools);
  return verdict.matches ? HelperContract::success : HelperContract::verificationFailed;
}

}  // namespace tessaro::helper
