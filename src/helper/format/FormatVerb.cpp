// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contract/HelperContract.h"
#include "drives/FormatRequestRules.h"
#include "drives/linux/PartitionNaming.h"
#include "exec/VisibleText.h"
#include "helper/DeviceGuard.h"
#include "helper/ExclusiveOpen.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"
#include "helper/LinuxFormatSteps.h"
#include "helper/MountTargets.h"
#include "helper/RequiredTools.h"
#include "helper/SectorRead.h"
#include "helper/format/DeviceNodeWatch.h"
#include "helper/format/FormatVerification.h"

// format DISK NAME CLUSTER [SIZE], in the order it happens:
// 1. the request is read from the command line and checked on its own;
// 2. the disk is held (guard, lock) and the request checked against it;
// 3. the plan: every device the tools are given, proven below the disk;
// 4. unmounted and claimed exclusively, the table and the file system are
//    written, the kernel's node of the new partition awaited between them;
// 5. what the drive holds is read back and judged against the request.

namespace tessaro::helper {

namespace {

// How long the kernel may take to create the new partition's node.
constexpr std::chrono::seconds kNodeWait{10};

bool isDecimal(const std::string& word, std::size_t maxDigits) {
  if (word.empty() || word.size() > maxDigits || word.front() == '0') return false;
  for (const char c : word)
    if (c < '0' || c > '9') return false;
  return true;
}

// 1. What the caller asked for.
struct FormatArguments {
  KernelDevice disk;
  std::string volumeName;
  std::optional<int> clusterBytes;             // none: the default
  std::optional<std::int64_t> partitionBytes;  // none: to the end of the disk
};

// CLUSTER: "default" or a number of bytes that the window offers.
std::optional<int> clusterArgument(const std::string& word) {
  if (word == HelperContract::defaultCluster) return std::nullopt;
  if (!isDecimal(word, 9)) {
    stop(HelperContract::usage,
         "Usage: the cluster size is \"default\" or a number of bytes, "
         "not \"" +
             visibleText(word, LineFeeds::escape) + "\".");
  }
  const int bytes = std::stoi(word);
  if (!isOfferedClusterSize(bytes)) {
    stop(HelperContract::refusedRequest,
         "Refused: a cluster size of " + word +
             " bytes is not offered: choose a power of two from 512 to 65536.");
  }
  return bytes;
}

// SIZE: the partition's size in bytes, a plain decimal number. It is aligned
// down to whole MiB, and checked against the disk once the disk is held.
std::int64_t partitionSizeArgument(const std::string& word) {
  if (!isDecimal(word, 18)) {
    stop(HelperContract::usage, "Usage: the partition size is a number of bytes, not \"" +
                                    visibleText(word, LineFeeds::escape) + "\".");
  }
  return std::stoll(word);
}

FormatArguments formatArguments(const std::vector<std::string>& args) {
  if (args.size() != 3 && args.size() != 4)
    stop(HelperContract::usage,
         std::string("Usage: tessaro-helper format DISK NAME CLUSTER [SIZE]"));
  FormatArguments asked{deviceNamed(args[0]), args[1], {}, {}};
  if (asked.disk.isPartition()) {
    stop(HelperContract::refusedDevice,
         "Refused: " + asked.disk.path() + " is a partition; a format erases a whole disk.");
  }
  asked.clusterBytes = clusterArgument(args[2]);
  if (args.size() == 4) asked.partitionBytes = partitionSizeArgument(args[3]);
  if (const auto refusal = refuseLinuxVolumeName(asked.volumeName))
    stop(HelperContract::refusedRequest, "Refused: " + *refusal);
  return asked;
}

// The tools, found before the disk is held: all of them needed but udevadm,
// which is used where it is there.
HelperTools formatTools() {
  std::vector<std::string> names = linuxFormatToolNames();
  requireTools(HelperTools(names));
  names.push_back("udevadm");
  return HelperTools(names);
}

// 2. The request against the disk as the guard read it.
void refuseForDisk(const FormatArguments& asked, const LsblkDevice& tree) {
  if (asked.partitionBytes) {
    if (const auto refusal = refusePartitionSize(*asked.partitionBytes, tree.size))
      stop(HelperContract::refusedRequest, "Refused: " + *refusal);
  }
  if (const auto refusal = refuseClusterSize(
          asked.clusterBytes, tree.size, tree.logicalSectorSize.value_or(0), asked.partitionBytes))
    stop(HelperContract::refusedRequest, "Refused: " + *refusal);
}

// 3. The plan. Every device passed to a tool is one the kernel names below
// this disk.
LinuxFormatPlan formatPlan(const FormatArguments& asked, const LsblkDevice& tree,
                           const HelperTools& tools) {
  LinuxFormatPlan plan;
  plan.diskPath = asked.disk.path();
  plan.mountedDevices = mountedDevices(tree);
  for (const LsblkDevice& child : tree.children) {
    StopReason why;
    const KernelDevice partition = KernelDevice::find(child.name, &why);
    if (!partition.isValid() && why.status == HelperContract::toolFailed)
      stop(why.status, why.lineWithoutStop() + "; nothing was written.");
    if (!partition.isValid() || partition.diskName() != asked.disk.name() ||
        partition.path() != child.path) {
      stop(HelperContract::refusedDevice,
           "Refused: " + child.path + " is not a partition of " + plan.diskPath + ".");
    }
    plan.partitionPaths.push_back(partition.path());
  }
  plan.diskBytes = tree.size;
  plan.logicalSectorSize = tree.logicalSectorSize.value_or(0);
  plan.volumeName = asked.volumeName;
  plan.clusterBytes = asked.clusterBytes;
  plan.partitionBytes = asked.partitionBytes;
  plan.tools = tools.paths();
  return plan;
}

// 4. Writing.

// Runs a step that writes, and counts it done when it ended well. Nothing
// can have taken the disk since the busy test: the steps before mkfs.fat
// run under the helper's exclusive hold, and mkfs.fat, which opens the
// partition exclusively itself, fails before it writes when something
// claimed it in the moment between.
void runWriteStep(VerbRun& run, const ToolStep& step) {
  const int status = run.run(step);
  const std::string& path = step.command.front();
  const std::string program = path.substr(path.rfind('/') + 1);
  if (status != 0) {
    // The tool's own status, where it fits below the helper's.
    stop(status > 0 && status < 64 ? status : int(HelperContract::toolFailed),
         "Failed: " + program + " ended with exit status " + std::to_string(status) + "; " +
             run.writtenNote(),
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
void clearBeforePartition(VerbRun& run, const ExclusiveOpen& claim, const std::string& diskPath,
                          std::int64_t bytes) {
  run.checkpoint();
  printLine("Clearing the first " + std::to_string(bytes / 1024) + " KiB of " + diskPath +
            ", where the new partition table goes.");
  if (const auto failure = claim.zero(0, bytes)) {
    stop(HelperContract::toolFailed, "Failed: zeros could not be written over the start of " +
                                         diskPath + " (" + *failure + "); " +
                                         run.writtenNote());
  }
  run.stepDone();
}

// The partition the table step made, once the kernel has its node: looked
// at now, and again each time /dev changes, until it is there or 10 s have
// passed. A cancel is heard while it waits.
KernelDevice waitForPartition(VerbRun& run, const KernelDevice& disk) {
  const std::string name = linuxPartitionName(disk.name(), 1);
  const auto deadline = std::chrono::steady_clock::now() + kNodeWait;
  DeviceNodeWatch watch;  // before the first look, so that no change is missed
  if (!watch.failure().empty()) {
    stop(HelperContract::toolFailed, "Failed: the kernel's new devices cannot be watched (" +
                                         watch.failure() + "); " + run.writtenNote());
  }
  for (;;) {
    run.checkpoint();
    StopReason why;
    const KernelDevice partition = KernelDevice::find(name, &why);
    if (partition.isValid() && partition.diskName() == disk.name()) return partition;
    if (!partition.isValid() && why.status == HelperContract::toolFailed)
      stop(why.status, why.lineWithoutStop() + "; " + run.writtenNote());
    if (watch.waitUntil(deadline, run.cancelFd()) == DeviceNodeWatch::Wake::deadline) break;
  }
  stop(HelperContract::toolFailed,
       "Failed: /dev/" + name + " did not appear; " + run.writtenNote());
}

// mkfs.fat blanks the reserved sectors and both FATs a sector at a time, and
// the kernel reads each page of the drive that such a write changes only a
// part of (on a USB stick, a transfer each). They are written with zeros
// first, in large writes through an exclusive hold of the new partition,
// which stays open without its claim while mkfs.fat runs: its writes then
// change pages the kernel already has. Only sectors mkfs.fat writes anyway.
void blankTables(VerbRun& run, ExclusiveOpen& tables, const KernelDevice& partition,
                 const Fat32Layout& layout) {
  run.checkpoint();
  const std::int64_t sectors = std::min(layout.reservedSectors + 2 * layout.fatSectors,
                                        layout.totalSectors);
  std::optional<std::string> failure =
      tables.claim(partition.path(), partition.number(), true);
  if (!failure) failure = tables.zero(0, sectors * layout.sectorBytes, false);
  if (!failure) failure = tables.keepOpenUnclaimed();
  if (failure) {
    stop(HelperContract::toolFailed, "Failed: the file system's tables could not be prepared on " +
                                         partition.path() + " (" + *failure + "); " +
                                         run.writtenNote());
  }
}

// The table (wipefs, the helper's own clearing, sfdisk, partx) under the
// helper's exclusive hold of the disk, then the file system (mkfs.fat) on
// the new partition, which mkfs.fat claims itself: the disk is let go just
// before it starts. Progress by step; the read-back that follows tells its
// end by the result event. The new partition.
KernelDevice writeFormat(VerbRun& run, ExclusiveOpen& claim, const LinuxFormatPlan& plan,
                         const KernelDevice& disk) {
  // From here on the drive is changed; a caller that goes away no longer
  // stops the format, so that it is not left half erased with nobody told.
  run.markWriting(true);
  const std::vector<ToolStep> tableSteps = linuxPartitionSteps(plan);
  run.planSteps(int(tableSteps.size()) + 2);
  const PartitionLayout layout =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  runWriteStep(run, tableSteps.front());
  clearBeforePartition(run, claim, plan.diskPath, layout.startSector * plan.logicalSectorSize);
  for (auto step = tableSteps.begin() + 1; step != tableSteps.end(); ++step)
    runWriteStep(run, *step);
  const KernelDevice partition = waitForPartition(run, disk);
  claim.release();
  // The tables' hold ends here, before the read-back: with the partition's
  // last opener gone the kernel drops what it cached of it, so that the
  // read-back reads what the drive holds, not what was written to it.
  ExclusiveOpen tables;
  blankTables(run, tables, partition, linuxFat32Layout(plan));
  runWriteStep(run, linuxMkfsStep(plan));
  return partition;
}

// 5. Reading back.

[[noreturn]] void readBackFailed(const VerbRun& run, const std::string& tool,
                                 const ToolOutput& output) {
  stop(HelperContract::toolFailed,
       "Could not verify the format: " + tool +
           (!output.error.empty()
                ? ' ' + output.error + "; "
                : " failed (exit status " + std::to_string(output.status) + "); ") +
           run.writtenNote(),
       tool);
}

// Reads the table, the file system and the boot sector back, read-only: the
// table from the disk, the boot sector and the root directory through the
// held partition, and fsck.fat's check of the whole file system, which is
// what the read-back costs. A failing or short read, or a tool that fails,
// says so; only what was read is judged.
FormatReadBack readBack(VerbRun& run, const HelperTools& tools, const std::string& diskPath,
                        const std::string& partitionPath, const ExclusiveOpen& partition) {
  FormatReadBack found;
  const auto unreadable = [&run](const std::string& what, const std::string& why) {
    stop(HelperContract::toolFailed, "Could not verify the format: could not read " + what + ": " +
                                         why + "; " + run.writtenNote());
  };
  std::string failure;
  const std::optional<std::string> table = SectorRead::of(diskPath, 0, 512, &failure);
  if (!table) unreadable("the partition table of " + diskPath, failure);
  readMbr(*table, found);

  // fsck.fat exits 1 when it finds errors; anything else above is its failure.
  const ToolOutput fsck =
      run.capture({tools.path("fsck.fat"), "-n", "-v", partitionPath});
  if (!fsck.started || !fsck.error.empty() || fsck.status > 1)
    readBackFailed(run, "fsck.fat", fsck);
  found.fsckClean = fsck.status == 0;
  readFsckVerbose(fsck.standardOutput, found);

  const std::optional<std::string> bootSector = partition.read(0, 512, &failure);
  if (!bootSector) unreadable("the boot sector of " + partitionPath, failure);
  readBootSector(*bootSector, found);
  // The root directory is cluster 2, the first of the data area.
  const std::int64_t rootOffset =
      std::int64_t(found.reservedSectors + found.fatCount * found.fatSectors) *
      found.bytesPerSector;
  std::string rootCluster;
  if (found.clusterBytes() > 0 && found.clusterBytes() <= 1 << 20 && rootOffset > 0) {
    const std::optional<std::string> read =
        partition.read(rootOffset, found.clusterBytes(), &failure);
    if (!read) unreadable("the root directory of " + partitionPath, failure);
    rootCluster = *read;
  }
  readFatVolume(*bootSector, rootCluster, found);
  return found;
}

// What the drive holds against what was asked, read through an exclusive
// hold of the new partition.
FormatCheck verifyWritten(VerbRun& run, const HelperTools& tools, const LinuxFormatPlan& plan,
                          ExclusiveOpen& claim, const KernelDevice& partition) {
  if (const auto busy = claim.claim(partition.path(), partition.number())) {
    stop(HelperContract::toolFailed,
         "Could not verify the format: " + *busy + "; " + run.writtenNote());
  }
  const PartitionLayout layout =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  const Fat32Layout fileSystem = linuxFat32Layout(plan);
  FormatExpectation expected;
  expected.partitionStart = layout.startSector;
  if (layout.sized) expected.partitionSectors = layout.sectorCount;
  expected.volumeName = plan.volumeName;
  expected.clusterBytes = int(fileSystem.clusterBytes());
  expected.dataAlignment = fileSystem.dataAlignmentBytes();
  const FormatCheck check =
      verifyFormat(expected, readBack(run, tools, plan.diskPath, partition.path(), claim));
  claim.release();
  return check;
}

// Where udev runs, the caller's next step (mounting) needs udev to have seen
// the new file system: udev does so once the lock is gone.
// The format is done by then: the wait, bounded, is not cancelled.
void settleUdev(const HelperTools& tools) {
  if (access("/run/udev/control", F_OK) != 0) return;
  const std::string udevadm = tools.path("udevadm");
  if (udevadm.empty()) return;
  CancelWatch unwatched(-1);
  VerbRun run(unwatched);
  run.run({{udevadm, "settle", "--timeout=30"}, {}});
}

}  // namespace

int formatVerb(const std::vector<std::string>& args) {
  const FormatArguments asked = formatArguments(args);
  const HelperTools tools = formatTools();
  const std::string& diskPath = asked.disk.path();
  HeldDisk held(asked.disk, "Cancelled: nothing was written to " + diskPath + ".",
                "Cancelled: " + diskPath + " is incomplete: format it again before using it.");
  VerbRun& run = held.run();
  run.setWrittenNote(diskPath + " may be left incomplete: format it again.");
  refuseForDisk(asked, held.tree());
  const LinuxFormatPlan plan = formatPlan(asked, held.tree(), tools);
  for (const std::string& note : linuxFormatNotes(plan)) printLine(note);

  // Unmounted, nothing else may hold the disk or a partition of it.
  held.unmount(linuxUnmountSteps(tools.path("umount"), plan.mountedDevices));

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
  if (const auto busy = claim.claim(asked.disk.path(), asked.disk.number(), true))
    stop(HelperContract::deviceBusy, "Refused: " + *busy + "; nothing was written.");

  const KernelDevice partition = writeFormat(run, claim, plan, asked.disk);
  const FormatCheck check = verifyWritten(run, tools, plan, claim, partition);
  run.checkpoint();
  printEvent(contract::HelperEvent(check.verdict));
  // A drive that does not hold what was asked is the run's failure, said in a
  // line of its own; what matches the result event tells, and the caller
  // says it in the user's language.
  if (!check.verdict.matches) sayFailure(HelperContract::verificationFailed, check.line);

  held.release();
  settleUdev(tools);
  return check.verdict.matches ? HelperContract::success : HelperContract::verificationFailed;
}

}  // namespace tessaro::helper
