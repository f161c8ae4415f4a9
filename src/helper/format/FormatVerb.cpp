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
    StopReason why;
    const KernelDevice partition = KernelDevice::find(name, &why);
    if (partition.isValid() && partition.diskName() == disk.name()) return partition;
    if (!partition.isValid() && why.status == HelperContract::toolFailed)
      stop(why.status, why.lineWithoutStop() + "; " + run.writtenNote());
    QThread::msleep(100);
  }
  stop(HelperContract::toolFailed, QStringLiteral("Failed: /dev/") + name +
                                       QStringLiteral(" did not appear; ") +
                                       QString::fromStdString(run.writtenNote()));
}

// Runs a step that writes, and counts it done when it ended well. Nothing
// can have taken the disk since the busy test: the steps before mkfs.fat
// run under the helper's exclusive hold, and mkfs.fat, which opens the
// partition exclusively itself, fails before it writes when something
// claimed it in the moment between.
void runWriteStep(VerbRun& run, const ToolStep& step) {
  const int status = run.run(step);
  const QString program = QFileInfo(QString::fromStdString(step.command.front())).fileName();
  if (status != 0) {
    // The tool's own status, where it fits below the helper's.
    stop(status > 0 && status < 64 ? status : int(HelperContract::toolFailed),
         QStringLiteral("Failed: ") + program + QStringLiteral(" ended with exit status ") +
             QString::number(status) + QStringLiteral("; ") +
             QString::fromStdString(run.writtenNote()),
         program);
  }
  run.stepDone();
}

// What a file system on the whole disk leaves before the new partition
// (its boot sector, FSInfo and backup boot sector, a FAT12 or FAT16 one's
// tables too) is cleared before the table is written: wipefs erases only its
// signatures, and what is left would still be read as a file system on the
// whole disk (partx then refuses the new table). Zeros, through the helper's
// exclusive hold.
void clearBeforePartition(VerbRun& run, const ExclusiveOpen& claim, const QString& diskPath,
                          qint64 bytes) {
  run.checkpoint();
  printLine(QStringLiteral("Clearing the first ") + QString::number(bytes / 1024) +
            QStringLiteral(" KiB of ") + diskPath +
            QStringLiteral(", where the new partition table goes."));
  if (const auto failure = claim.zero(0, bytes)) {
    stop(HelperContract::toolFailed, QStringLiteral("Failed: zeros could not be written over the "
                                                    "start of ") +
                                         diskPath + QStringLiteral(" (") + *failure +
                                         QStringLiteral("); ") +
                                         QString::fromStdString(run.writtenNote()));
  }
  run.stepDone();
}

[[noreturn]] void readBackFailed(const VerbRun& run, const QString& tool,
                                 const ToolOutput& output) {
  stop(HelperContract::toolFailed,
       QStringLiteral("Could not verify the format: ") + tool +
           (!output.error.empty()
                ? QLatin1Char(' ') + QString::fromStdString(output.error) + QStringLiteral("; ")
                : QStringLiteral(" failed (exit status ") + QString::number(output.status) +
                      QStringLiteral("); ")) +
           QString::fromStdString(run.writtenNote()),
       tool);
}

// Reads the table, the file system and the boot sector back, read-only: the
// table from the disk, the boot sector and the root directory through the
// held partition, and fsck.fat's check of the whole file system, which is
// what the read-back costs. A failing or short read, or a tool that fails,
// says so; only what was read is judged.
FormatReadBack readBack(VerbRun& run, const HelperTools& tools, const QString& diskPath,
                        const QString& partitionPath, const ExclusiveOpen& partition) {
  FormatReadBack found;
  const auto unreadable = [&run](const QString& what, const QString& why) {
    stop(HelperContract::toolFailed,
         QStringLiteral("Could not verify the format: could not read ") + what +
             QStringLiteral(": ") + why + QStringLiteral("; ") +
             QString::fromStdString(run.writtenNote()));
  };
  QString failure;
  const std::optional<QByteArray> table = readSector(diskPath, 0, 512, &failure);
  if (!table) unreadable(QStringLiteral("the partition table of ") + diskPath, failure);
  readMbr(table->toStdString(), found);

  // fsck.fat exits 1 when it finds errors; anything else above is its failure.
  const ToolOutput fsck = run.capture({tools.path(QStringLiteral("fsck.fat")), QStringLiteral("-n"),
                                       QStringLiteral("-v"), partitionPath});
  if (!fsck.started || !fsck.error.empty() || fsck.status > 1)
    readBackFailed(run, QStringLiteral("fsck.fat"), fsck);
  found.fsckClean = fsck.status == 0;
  readFsckVerbose(fsck.standardOutput, found);

  const std::optional<QByteArray> bootSector = partition.read(0, 512, &failure);
  if (!bootSector) unreadable(QStringLiteral("the boot sector of ") + partitionPath, failure);
  readBootSector(bootSector->toStdString(), found);
  // The root directory is cluster 2, the first of the data area.
  const qint64 rootOffset =
      qint64(found.reservedSectors + found.fatCount * found.fatSectors) * found.bytesPerSector;
  QByteArray rootCluster;
  if (found.clusterBytes() > 0 && found.clusterBytes() <= 1 << 20 && rootOffset > 0) {
    const std::optional<QByteArray> read =
        partition.read(rootOffset, found.clusterBytes(), &failure);
    if (!read) unreadable(QStringLiteral("the root directory of ") + partitionPath, failure);
    rootCluster = *read;
  }
  readFatVolume(bootSector->toStdString(), rootCluster.toStdString(), found);
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
  run.run({{udevadm.toStdString(), "settle", "--timeout=30"}, {}});
}

}  // namespace

// format DISK NAME CLUSTER [SIZE]
int formatVerb(const std::vector<std::string>& words) {
  const QStringList args = qtWords(words);
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
  if (const auto refusal = refuseLinuxVolumeName(volumeName.toStdString())) {
    stop(HelperContract::refusedRequest,
         QStringLiteral("Refused: ") + QString::fromStdString(*refusal));
  }

  QStringList toolNames;
  for (const std::string& name : linuxFormatToolNames()) toolNames << QString::fromStdString(name);
  HelperTools tools(toolNames + QStringList{QStringLiteral("udevadm")});
  {
    // udevadm is used where it is there; the rest is needed.
    HelperTools needed(toolNames);
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
      stop(HelperContract::refusedRequest,
           QStringLiteral("Refused: ") + QString::fromStdString(*refusal));
    }
  }
  if (auto refusal = refuseClusterSize(clusterBytes, tree.size, tree.logicalSectorSize.value_or(0),
                                       partitionBytes)) {
    stop(HelperContract::refusedRequest,
         QStringLiteral("Refused: ") + QString::fromStdString(*refusal));
  }

  LinuxFormatPlan plan;
  plan.diskPath = disk.path().toStdString();
  for (const QString& mounted : mountedDevices(tree))
    plan.mountedDevices.push_back(mounted.toStdString());
  for (const LsblkDevice& child : tree.children) {
    // Every device passed to a tool is one the kernel names below this disk.
    StopReason why;
    const KernelDevice partition = KernelDevice::find(child.name, &why);
    if (!partition.isValid() && why.status == HelperContract::toolFailed)
      stop(why.status, why.lineWithoutStop() + "; nothing was written.");
    if (!partition.isValid() || partition.diskName() != disk.name() ||
        partition.path() != child.path) {
      stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + child.path +
                                              QStringLiteral(" is not a partition of ") +
                                              disk.path() + QStringLiteral("."));
    }
    plan.partitionPaths.push_back(partition.path().toStdString());
  }
  plan.diskBytes = tree.size;
  plan.logicalSectorSize = tree.logicalSectorSize.value_or(0);
  plan.volumeName = volumeName.toStdString();
  plan.clusterBytes = clusterBytes;
  plan.partitionBytes = partitionBytes;
  for (auto found = tools.paths().begin(); found != tools.paths().end(); ++found)
    plan.tools[found.key().toStdString()] = found.value().toStdString();
  for (const std::string& note : linuxFormatNotes(plan)) printLine(QString::fromStdString(note));

  // Unmounted, nothing else may hold the disk or a partition of it.
  held.unmount(linuxUnmountSteps(plan.tools["umount"], plan.mountedDevices));

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
  if (const auto busy = claim.claim(disk.path(), disk.number(), true)) {
    stop(HelperContract::deviceBusy,
         QStringLiteral("Refused: ") + *busy + QStringLiteral("; nothing was written."));
  }

  // From here on the drive is changed; a caller that goes away no longer
  // stops the format, so that it is not left half erased with nobody told.
  run.markWriting(true);
  // Progress by step: the table's (wipefs, the helper's own clearing,
  // sfdisk, partx) and mkfs.fat. The read-back that follows tells its end by
  // the result event.
  const std::vector<ToolStep> tableSteps = linuxPartitionSteps(plan);
  run.planSteps(int(tableSteps.size()) + 2);
  const PartitionLayout layout =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  runWriteStep(run, tableSteps.front());
  clearBeforePartition(run, claim, disk.path(), layout.startSector * plan.logicalSectorSize);
  for (auto step = tableSteps.begin() + 1; step != tableSteps.end(); ++step)
    runWriteStep(run, *step);
  const KernelDevice partition = waitForPartition(run, disk);
  claim.release();
  runWriteStep(run, linuxMkfsStep(plan));
  if (const auto busy = claim.claim(partition.path(), partition.number())) {
    stop(HelperContract::toolFailed, QStringLiteral("Could not verify the format: ") + *busy +
                                         QStringLiteral("; ") +
                                         QString::fromStdString(run.writtenNote()));
  }

  const Fat32Layout fileSystem = linuxFat32Layout(plan);
  FormatExpectation expected;
  expected.partitionStart = layout.startSector;
  if (layout.sized) expected.partitionSectors = layout.sectorCount;
  expected.volumeName = volumeName.toStdString();
  expected.clusterBytes = int(fileSystem.clusterBytes());
  expected.dataAlignment = fileSystem.dataAlignmentBytes();
  const FormatCheck check =
      verifyFormat(expected, readBack(run, tools, disk.path(), partition.path(), claim));
  claim.release();
  run.checkpoint();
  printEvent(contract::HelperEvent(check.verdict));
  // A drive that does not hold what was asked is the run's failure, said in a
  // line of its own; what matches the result event tells, and the caller
  // says it in the user's language.
  if (!check.verdict.matches)
    sayFailure(HelperContract::verificationFailed, QString::fromStdString(check.line));

  held.release();
  settleUdev(tools);
  return check.verdict.matches ? HelperContract::success : HelperContract::verificationFailed;
}

}  // namespace tessaro::helper
