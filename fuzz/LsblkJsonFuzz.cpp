// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// lsblk's JSON as discovery, the partition lookup, the helper's guard and the
// information report read it, and the report's facts as the helper tells them.
#include <QString>

#include "FuzzCheck.h"
#include "drives/DriveFactsJson.h"
#include "drives/LogicalSectorSize.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkDevice.h"
#include "exec/Error.h"
#include "contract/HelperContract.h"
#include "exec/HelperEvent.h"
#include "helper/info/LinuxDriveFacts.h"
#include "jobs/InfoReport.h"

using namespace tessaro;

namespace {

const QString kSysfs = QStringLiteral(TESSARO_FIXTURES_DIR "/sysfs");

// What the helper tells must read back as it was told.
void checkRoundTrip(const DriveFacts& facts) {
  const QString told = QString::fromStdString(DriveFactsJson::event(facts).line());
  try {
    const DriveFacts readBack = DriveFactsJson::fromEvent(HelperEvent::fromLine(told));
    FUZZ_CHECK(QString::fromStdString(DriveFactsJson::event(readBack).line()) == told, told);
  } catch (const Error& error) {
    FUZZ_CHECK(false, error.description() + QStringLiteral(" reading ") + told);
  }
}

void readDevice(const LsblkDevice& disk) {
  if (disk.logicalSectorSize)
    FUZZ_CHECK(isValidLogicalSectorSize(*disk.logicalSectorSize),
               QString::number(*disk.logicalSectorSize));
  (void)isOfferableDisk(disk, kSysfs);
  DriveFacts facts;
  facts.disk = linuxDiskFacts(disk, kSysfs);
  checkRoundTrip(facts);
  for (const LsblkDevice& child : disk.children) {
    const QMap<QString, QString> blkid{{QStringLiteral("TYPE"), QStringLiteral("vfat")},
                                       {QStringLiteral("LABEL"), disk.name}};
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
      FUZZ_CHECK(!name.isEmpty() && !isVirtualDeviceName(name), name);
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
    for (const LsblkDevice& device : LsblkDevice::parseList(text)) readDevice(device);
  } catch (const Error&) {
  }
  // The helper's result event, as the application reads it.
  try {
    const DriveFacts facts = DriveFactsJson::fromEvent(
        HelperEvent::fromLine(QLatin1StringView(HelperContract::eventPrefix) + text));
    checkRoundTrip(facts);
  } catch (const Error&) {
  }
  return 0;
}
