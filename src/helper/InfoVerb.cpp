// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

#include "drives/linux/LinuxInfoProperties.h"
#include "drives/mac/PropertyList.h"
#include "exec/HelperContract.h"
#include "helper/CancelWatch.h"
#include "helper/HelperStop.h"
#include "helper/HelperSupport.h"
#include "helper/HelperVerbs.h"

namespace tessaro::helper {
namespace {

QVariantMap partitionProperties(VerbRun& run, const HelperTools& tools,
                                const KernelDevice& partition, const QJsonObject& disk) {
  QJsonObject record;
  for (const QJsonValue& child : disk.value(QLatin1String("children")).toArray()) {
    if (child.toObject().value(QLatin1String("path")).toString() == partition.path()) {
      record = child.toObject();
    }
  }
  // A partition that lsblk does not list below the disk still gets its own record.
  if (record.isEmpty()) {
    record = readLsblkRecord(run, tools.path(QStringLiteral("lsblk")), linuxInfoLsblkArguments(),
                             partition.path());
  }
  // blkid exits 2 when there is no file system: the report then says none.
  const ToolOutput blkid =
      run.capture({tools.path(QStringLiteral("blkid")), QStringLiteral("-p"), QStringLiteral("-o"),
                   QStringLiteral("export"), partition.path()});
  return linuxPartitionProperties(record, disk.value(QLatin1String("name")).toString(),
                                  parseBlkidExport(blkid.standardOutput),
                                  firstSectorOf(partition.path()));
}

}  // namespace

// info DISK [PARTITION]: the disk's and the partition's properties as two
// property-list documents, disk first. Reads only.
int infoVerb(const QStringList& args) {
  if (args.isEmpty() || args.size() > 2) {
    stop(HelperContract::usage, QStringLiteral("Usage: tessaro-helper info DISK [PARTITION]"));
  }
  const KernelDevice disk = deviceNamed(args[0]);
  if (disk.isPartition()) {
    stop(HelperContract::refusedDevice,
         QStringLiteral("Refused: ") + disk.path() + QStringLiteral(" is not a whole disk."));
  }
  std::optional<KernelDevice> partition;
  if (args.size() == 2) {
    partition = deviceNamed(args[1]);
    if (!partition->isPartition() || partition->diskName() != disk.name()) {
      stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + partition->path() +
                                              QStringLiteral(" is not a partition of ") +
                                              disk.path() + QStringLiteral("."));
    }
  }
  HelperTools tools({QStringLiteral("lsblk"), QStringLiteral("blkid")});
  requireTools(tools);
  CancelWatch watch;
  VerbRun run(watch);
  const QString cancelled = QStringLiteral("Cancelled: nothing was changed.");
  run.setCancelLines(cancelled, cancelled);
  guardedDisk(run, tools, partition.value_or(disk));

  const QJsonObject diskRecord = readLsblkRecord(run, tools.path(QStringLiteral("lsblk")),
                                                 linuxInfoLsblkArguments(), disk.path());
  QString output = writeXmlPropertyList(linuxDiskProperties(diskRecord, kSysfsRoot));
  if (partition) {
    output += writeXmlPropertyList(partitionProperties(run, tools, *partition, diskRecord));
  }
  std::fputs(output.toUtf8().constData(), stdout);
  std::fflush(stdout);
  return HelperContract::success;
}

}  // namespace tessaro::helper
