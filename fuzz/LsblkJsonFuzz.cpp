// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// lsblk's JSON as discovery, the partition lookup, the helper's guard and the
// information report read it, and the report's facts as the helper tells them.
#include <QString>

#include "FuzzCheck.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/DriveFactsJson.h"
#include "drives/LogicalSectorSize.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkJson.h"
#include "exec/Error.h"
#include "helper/info/LinuxDriveFacts.h"
#include "jobs/InfoReport.h"

using namespace tessaro;

namespace {

const QString kSysfs = QStringLiteral(TESSARO_FIXTURES_DIR "/sysfs");

// What the helper tells must read back as it was told.
void checkRoundTrip(const DriveFacts& facts) {
  const std::string told = DriveFactsJson::event(facts).line();
  std::string why;
  const std::optional<DriveFacts> readBack =
      DriveFactsJson::fromEvent(contract::HelperEvent::fromLine(told), &why);
  FUZZ_CHECK(readBack && DriveFactsJson::event(*readBack).line() == told,
             QString::fromStdString(why + " reading " + told));
}

void readDevice(const LsblkDevice& disk) {
  if (disk.logicalSectorSize)
    FUZZ_CHECK(isValidLogicalSectorSize(*disk.logicalSectorSize),
               QString::number(*disk.logicalSectorSize));
  (void)isOfferableDisk(disk, kSysfs.toStdString());
  DriveFacts facts;
  facts.disk = linuxDiskFacts(disk, kSysfs.toStdString());
  checkRoundTrip(facts);
  for (const LsblkDevice& child : disk.children) {
    const std::map<std::string, std::string> blkid{{"TYPE", "vfat"}, {"LABEL", disk.name}};
    facts.partition = linuxPartitionFacts(child, blkid, {});
    checkRoundTrip(facts);
  }
  const QStringList lines = infoReportLines(DriveFacts::ofDisk(facts, disk.name));
  FUZZ_CHECK(!lines.isEmpty() && lines.first().startsWith(QLatin1String("Device: ")),
             lines.join(QLatin1Char('\n')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const LinuxDiskTools tools(QStringLiteral("/nonexistent/lsblk"), kSysfs,
                             QStringLiteral("/nonexistent/tessaro-helper"));
  try {
    for (const QString& name : tools.parseDiskList(text)) {
      FUZZ_CHECK(!name.isEmpty() && !isVirtualDeviceName(name.toStdString()), name);
      if (const auto drive = tools.parseDriveInfo(text, name))
        FUZZ_CHECK(drive->bsdName == name && drive->size > 0, drive->description);
    }
  } catch (const Error&) {
  }
  try {
    FUZZ_CHECK(!tools.parseFirstPartition(text, QStringLiteral("sdb")).isEmpty(), text);
  } catch (const Error&) {
  }
  try {
    for (const LsblkDevice& device : LsblkJson::parseList(text)) readDevice(device);
  } catch (const Error&) {
  }
  // The helper's result event, as the application reads it.
  const std::optional<DriveFacts> facts = DriveFactsJson::fromEvent(contract::HelperEvent::fromLine(
      HelperContract::eventPrefix + std::string(reinterpret_cast<const char*>(data), size)));
  if (facts) checkRoundTrip(*facts);
  return 0;
}
