// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LinuxFormatSteps.h"

#include "drives/FormatRequestRules.h"
#include "drives/linux/PartitionNaming.h"

namespace tessaro {

namespace {

std::string sfdiskScript(const PartitionLayout& layout) {
  std::string partition = "start=" + std::to_string(layout.startSector);
  if (layout.truncated || layout.sized) partition += ", size=" + std::to_string(layout.sectorCount);
  return "label: dos\n" + partition + ", type=c\n";
}

// The absolute path the plan found for a tool; empty when it has none.
std::string toolPath(const LinuxFormatPlan& plan, const std::string& name) {
  const auto found = plan.tools.find(name);
  return found == plan.tools.end() ? std::string() : found->second;
}

// The helper holds the disk's lock itself; a tool that asked for it as well
// would wait for the helper forever, or fail.
constexpr const char* kNoLock = "--lock=no";

}  // namespace

std::vector<std::string> linuxFormatToolNames() {
  return {"umount", "wipefs", "sfdisk", "partx", "mkfs.fat", "fsck.fat"};
}

std::vector<ToolStep> linuxUnmountSteps(const std::string& umount,
                                        const std::vector<std::string>& mountedDevices) {
  std::vector<ToolStep> steps;
  for (const std::string& mounted : mountedDevices)
    steps.push_back({{umount, "--all-targets", mounted}, {}});
  return steps;
}

std::vector<ToolStep> linuxPartitionSteps(const LinuxFormatPlan& plan) {
  // The helper holds the disk exclusively (O_EXCL) while these run, so the
  // tools must not ask for it themselves: wipefs --force opens the devices
  // without O_EXCL (and so neither sleeps nor asks the kernel to re-read the
  // table); sfdisk --no-reread skips its in-use test (the helper's claim is
  // that test) and --no-tell-kernel its re-read; partx tells the kernel of
  // the new partition, which it does while the disk is claimed.
  // One wipefs for all: it clears the devices in the order named.
  ToolStep wipe{{toolPath(plan, "wipefs"), "--all", "--force", kNoLock}, {}};
  wipe.command.insert(wipe.command.end(), plan.partitionPaths.begin(), plan.partitionPaths.end());
  wipe.command.push_back(plan.diskPath);
  return {
      wipe,
      {{toolPath(plan, "sfdisk"), "--no-reread", "--no-tell-kernel", kNoLock, plan.diskPath},
       sfdiskScript(
           fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes))},
      {{toolPath(plan, "partx"), "-u", plan.diskPath}, {}},
  };
}

Fat32Layout linuxFat32Layout(const LinuxFormatPlan& plan) {
  const PartitionLayout partition =
      fat32PartitionLayout(plan.diskBytes, plan.logicalSectorSize, plan.partitionBytes);
  return plannedFat32Layout(
      partition, plan.logicalSectorSize,
      formatClusterBytes(plan.clusterBytes, partition, plan.logicalSectorSize));
}

std::vector<std::string> linuxMkfsArguments(const Fat32Layout& layout,
                                            const std::string& volumeName) {
  return {"-F", "32",
          "-s", std::to_string(layout.clusterSectors),
          "-R", std::to_string(layout.reservedSectors),
          "-g", std::to_string(layout.heads) + '/' + std::to_string(layout.sectorsPerTrack),
          "-h", std::to_string(layout.partitionStart),
          "-n", volumeName};
}

ToolStep linuxMkfsStep(const LinuxFormatPlan& plan) {
  ToolStep mkfs{{toolPath(plan, "mkfs.fat")}, {}};
  for (std::string& argument : linuxMkfsArguments(linuxFat32Layout(plan), plan.volumeName))
    mkfs.command.push_back(std::move(argument));
  mkfs.command.push_back(linuxFormatPartitionPath(plan.diskPath));
  return mkfs;
}

std::vector<std::string> linuxFormatNotes(const LinuxFormatPlan& plan) {
  const std::optional<std::int64_t> end =
      mbrLimitedEnd(plan.diskBytes, plan.partitionBytes, plan.logicalSectorSize);
  if (!end) return {};
  return {"Note: an MBR partition table can describe only the first " +
          std::to_string(*end / (1024 * 1024 * 1024)) + " GiB of " + plan.diskPath +
          "; the rest of the disk stays unused."};
}

}  // namespace tessaro
