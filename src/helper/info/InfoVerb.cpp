// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/HelperContract.h"
#include "drives/DriveFactsJson.h"
#include "helper/CancelWatch.h"
#include "helper/DeviceGuard.h"
#include "helper/HelperVerbs.h"
#include "helper/RequiredTools.h"
#include "helper/SectorRead.h"
#include "helper/info/LinuxDriveFacts.h"

namespace tessaro::helper {
namespace {

DriveFacts::Partition partitionFacts(VerbRun& run, const HelperTools& tools,
                                     const KernelDevice& partition, const LsblkDevice& disk) {
  // The guard found the partition below the disk.
  const LsblkDevice* record = disk.find(partition.name());
  // blkid exits 2 when there is no file system: the report then says none.
  const ToolOutput blkid =
      run.capture({tools.path("blkid"), "-p", "-o", "export", partition.path()});
  std::string failure;
  const std::optional<std::string> bootSector = SectorRead::of(partition.path(), 0, 512, &failure);
  if (!bootSector) {
    stop(HelperContract::toolFailed, "Failed: could not read the boot sector of " +
                                         partition.path() + ": " + failure +
                                         "; nothing was written.");
  }
  return linuxPartitionFacts(record ? *record : LsblkDevice{.path = partition.path()},
                             parseBlkidExport(blkid.standardOutput), *bootSector);
}

}  // namespace

// info DISK [PARTITION]: the facts of the disk and the partition, told as
// one result event (DriveFactsJson). Reads only.
int infoVerb(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2)
    stop(HelperContract::usage, std::string("Usage: tessaro-helper info DISK [PARTITION]"));
  const KernelDevice disk = deviceNamed(args[0]);
  if (disk.isPartition())
    stop(HelperContract::refusedDevice, "Refused: " + disk.path() + " is not a whole disk.");
  std::optional<KernelDevice> partition;
  if (args.size() == 2) {
    partition = deviceNamed(args[1]);
    if (!partition->isPartition() || partition->diskName() != disk.name()) {
      stop(HelperContract::refusedDevice,
           "Refused: " + partition->path() + " is not a partition of " + disk.path() + ".");
    }
  }
  HelperTools tools(std::vector<std::string>{"blkid"});
  requireTools(tools);
  CancelWatch watch;
  VerbRun run(watch);
  const std::string cancelled = "Cancelled: nothing was changed.";
  run.setCancelLines(cancelled, cancelled);
  const LsblkDevice diskRecord = guardedDisk(partition.value_or(disk));

  DriveFacts facts;
  facts.disk = linuxDiskFacts(diskRecord, kSysfsRoot);
  if (partition) facts.partition = partitionFacts(run, tools, *partition, diskRecord);
  printEvent(DriveFactsJson::event(facts));
  return HelperContract::success;
}

}  // namespace tessaro::helper
