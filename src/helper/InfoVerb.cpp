#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

#include "drives/LinuxInfoProperties.h"
#include "drives/PropertyList.h"
#include "helper/HelperSupport.h"
#include "helper/HelperVerbs.h"

namespace tessaro::helper {
namespace {

const QString kBlkid = QStringLiteral("/usr/sbin/blkid");

// Status of a run whose drive could not be read.
constexpr int kUnreadable = 1;

std::optional<QJsonObject> lsblkRecord(const QString& devicePath) {
  return readLsblkRecord(linuxInfoLsblkArguments(), devicePath);
}

QVariantMap partitionProperties(const QString& devicePath, const QJsonObject& disk) {
  QJsonObject record;
  for (const QJsonValue& child : disk.value(QLatin1String("children")).toArray()) {
    if (child.toObject().value(QLatin1String("path")).toString() == devicePath) {
      record = child.toObject();
    }
  }
  // A partition that lsblk does not list below the disk still gets its own record.
  if (record.isEmpty()) record = lsblkRecord(devicePath).value_or(QJsonObject());
  const ToolOutput blkid = captureTool(
      {kBlkid, QStringLiteral("-p"), QStringLiteral("-o"), QStringLiteral("export"), devicePath});
  return linuxPartitionProperties(record, disk.value(QLatin1String("name")).toString(),
                                  parseBlkidExport(blkid.standardOutput),
                                  firstSectorOf(devicePath));
}

}  // namespace

// info <disk> [<partition>]: the disk's and the partition's properties as two
// property-list documents, disk first.
int infoVerb(const QStringList& args) {
  if (args.isEmpty() || args.size() > 2) {
    printLine(QStringLiteral("Usage: tessaro-helper info <disk> [<partition>]"));
    return kUsage;
  }
  QStringList devices = args;
  // The partition lookup names partition 1 even of a disk that has none; such
  // a disk is reported alone.
  if (devices.size() == 2 && !isBlockDevice(devices[1])) devices.removeLast();
  for (const QString& devicePath : devices) {
    if (auto refusal = refuseUnsafeDevice(devicePath)) {
      printLine(*refusal);
      return kRefusedDevice;
    }
  }
  const auto disk = lsblkRecord(devices[0]);
  if (!disk) {
    printLine(QStringLiteral("lsblk could not describe ") + devices[0]);
    return kUnreadable;
  }
  std::fputs(writeXmlPropertyList(linuxDiskProperties(*disk, kSysfsRoot)).toUtf8().constData(),
             stdout);
  if (devices.size() == 2) {
    std::fputs(writeXmlPropertyList(partitionProperties(devices[1], *disk)).toUtf8().constData(),
               stdout);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace tessaro::helper
