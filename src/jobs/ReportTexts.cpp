// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ReportTexts.h"

#include <QCoreApplication>
#include <QLocale>

#include "drives/ByteCount.h"
#include "drives/ShellQuote.h"
#include "jobs/HelperFailure.h"

namespace tessaro::reportText {

namespace {

struct ReportText {
  Q_DECLARE_TR_FUNCTIONS(ReportTexts)
};

QString udisksctlMissing() { return ReportText::tr("udisksctl (udisks2) is not installed."); }

}  // namespace

QString refreshing() { return ReportText::tr("Refreshing drives..."); }

QString drivesFound(qsizetype count) {
  return ReportText::tr("Found %n external/removable drive(s).", nullptr, int(count));
}

QString refreshFailed(const QString& description) {
  return ReportText::tr("Error refreshing drives: %1").arg(description);
}

QString driveRemoved(const QString& description) {
  return ReportText::tr("Drive removed: %1").arg(description);
}

QString driveGone() { return ReportText::tr("The drive is no longer attached."); }

QString formatStarting(const QString& devicePath) {
  return ReportText::tr("Starting format of %1 as FAT32.").arg(devicePath);
}

QString formatToolFailed(const QString& volumeName, const QString& devicePath, int exitStatus) {
  const QString reason = helperFailureReason(exitStatus, HelperWork::format);
  if (reason.isEmpty())
    return ReportText::tr("Format failed for %1 on %2.").arg(volumeName, devicePath);
  return ReportText::tr("Format failed for %1 on %2: %3").arg(volumeName, devicePath, reason);
}

QString formatFailed(const QString& description) {
  return ReportText::tr("Error: %1").arg(description);
}

QString formatUnverified(const QString& volumeName, const QString& devicePath) {
  return ReportText::tr(
             "Format of %1 on %2 could not be verified: the drive may not hold what "
             "was asked; format it again.")
      .arg(volumeName, devicePath);
}

QString formatCancelledBeforeWriting(const QString& devicePath) {
  return ReportText::tr("Cancelled: nothing was written to %1.").arg(devicePath);
}

QString formatCancelledPartWay(const QString& devicePath) {
  return ReportText::tr(
             "Cancelled: the format of %1 stopped part way; the drive is incomplete and "
             "must be formatted again.")
      .arg(devicePath);
}

QString refreshCancelled() {
  return ReportText::tr("Cancelled: the drive list was not refreshed.");
}

QString checkCancelled(const QString& devicePath) {
  return ReportText::tr("Cancelled: nothing was checked on %1.").arg(devicePath);
}

QString checkCancelledPartWay(const QString& targetPath) {
  return ReportText::tr(
             "Cancelled: the check of %1 stopped part way; check it again before relying "
             "on it.")
      .arg(targetPath);
}

QString infoCancelled(const QString& devicePath) {
  return ReportText::tr("Cancelled: no information was read from %1.").arg(devicePath);
}

QString notMountedAfterFormat() {
  return ReportText::tr("The drive is formatted and not mounted: %1").arg(udisksctlMissing());
}

QString formatComplete(const QString& volumeName, const QString& devicePath) {
  return ReportText::tr("Format complete for %1 on %2").arg(volumeName, devicePath);
}

QString formatVerified(const FormatVerification& found) {
  const QLocale numbers = userNumberLocale();
  QString line =
      ReportText::tr(
          "Verified: %1 table, partition type %2 at sector %3; %4, label \"%5\", %6-byte "
          "clusters, %7 clusters")
          .arg(found.table, found.partitionType, QString::number(found.partitionStart),
               found.fileSystem, found.label, numbers.toString(found.clusterBytes),
               numbers.toString(found.clusters));
  if (found.dataAlignment >= 1024 * 1024 && found.dataAlignment % (1024 * 1024) == 0) {
    line += ReportText::tr("; data area aligned to %1 MiB")
                .arg(numbers.toString(found.dataAlignment / (1024 * 1024)));
  } else if (found.dataAlignment > 0) {
    line += ReportText::tr("; data area aligned to the cluster (%1 bytes)")
                .arg(numbers.toString(found.dataAlignment));
  }
  return line + ReportText::tr(": as asked.");
}

QString checkStarting(const QString& devicePath) {
  return ReportText::tr("Running disk checking operation on %1...").arg(devicePath);
}

QString checkUsingPartition(const QString& partitionPath, CheckMode mode) {
  return QStringLiteral("\u2139\uFE0F ") +
         (mode == CheckMode::readOnly
              ? ReportText::tr("Using partition %1 for a read-only check").arg(partitionPath)
              : ReportText::tr("Using partition %1 for repair").arg(partitionPath));
}

QString checkUsingWholeDisk(const QString& diskPath) {
  return QStringLiteral("\u26A0\uFE0F ") +
         ReportText::tr("No partition found, using whole disk %1").arg(diskPath);
}

QString checkCommandLine(const PrivilegedCommand& command) {
  // macOS runs one shell line; shown as the line itself.
  if (command.tool == QLatin1String("/bin/sh") && command.args.size() == 2)
    return QStringLiteral("$ sh -c \"") + command.args.at(1) + QLatin1Char('"');
  return QStringLiteral("$ ") + displayCommand(QStringList{command.tool} + command.args);
}

QString notMountedAfterCheck() { return ReportText::tr("Not mounted: %1").arg(udisksctlMissing()); }

QString checkToolFailed(const QString& targetPath, int exitStatus) {
  const QString reason = helperFailureReason(exitStatus, HelperWork::check);
  if (reason.isEmpty()) return ReportText::tr("Check failed on %1.").arg(targetPath);
  return ReportText::tr("Check failed on %1: %2").arg(targetPath, reason);
}

QString checkFound(CheckFinding finding) {
  return finding == CheckFinding::errorsCorrected
             ? ReportText::tr("Errors were found and corrected.")
             : ReportText::tr("No errors were found.");
}

QString checkErrorsLeft(const QString& targetPath) {
  return ReportText::tr(
             "Errors were found on %1 and not all of them could be corrected; copy what you "
             "need from it and format it.")
      .arg(targetPath);
}

QString checkErrorsFound(const QString& targetPath) {
  return ReportText::tr(
             "Errors were found on %1 and left as they are: this check changes nothing; one "
             "that repairs can correct them.")
      .arg(targetPath);
}

QString checkComplete() { return QStringLiteral("\u2705 ") + ReportText::tr("Check complete."); }

QString infoStarting(const QString& devicePath) {
  return ReportText::tr("Reading info for %1...").arg(devicePath);
}

QString infoToolFailed(const QString& devicePath, int exitStatus) {
  const QString reason = helperFailureReason(exitStatus, HelperWork::read);
  if (reason.isEmpty()) return ReportText::tr("Reading info failed on %1.").arg(devicePath);
  return ReportText::tr("Reading info failed on %1: %2").arg(devicePath, reason);
}

QString probeStarting(const QString& devicePath) {
  return ReportText::tr("Starting capacity test of %1.").arg(devicePath);
}

QString probeUnavailable() {
  return ReportText::tr(
      "Testing a drive's capacity is not available on this "
      "system yet.");
}

QString probeToolFailed(const QString& devicePath, int exitStatus) {
  const QString reason = helperFailureReason(exitStatus, HelperWork::probe);
  if (reason.isEmpty()) return ReportText::tr("Capacity test failed on %1.").arg(devicePath);
  return ReportText::tr("Capacity test failed on %1: %2").arg(devicePath, reason);
}

QString probeUnreadable(const QString& devicePath) {
  return ReportText::tr(
             "The capacity test of %1 ended without a verdict that "
             "can be trusted; the drive holds test data: format it "
             "before using it.")
      .arg(devicePath);
}

QString probeCancelledBeforeWriting(const QString& devicePath) {
  return formatCancelledBeforeWriting(devicePath);
}

QString probeCancelledPartWay(const QString& devicePath) {
  return ReportText::tr(
             "Cancelled: the capacity test of %1 stopped part way; the "
             "drive holds test data: format it before using it.")
      .arg(devicePath);
}

QString probeDriveStopped(const QString& devicePath) {
  return ReportText::tr(
             "Failed: %1 stopped responding during the capacity test, so there is no verdict on "
             "its capacity; the drive holds test data: format it before using it.")
      .arg(devicePath);
}

QString probeVerdict(const ProbeResult& result) {
  if (result.genuine())
    return ReportText::tr(
               "Genuine: all %1 samples read back. The drive now holds test data: format it "
               "before using it.")
        .arg(result.samples);
  //: The locale whose decimal point the sizes in gigabytes use.
  QLocale numbers(ReportText::tr("en_US"));
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  const auto gigabytes = [&](quint64 bytes) {
    return numbers.toString(double(bytes) / 1e9, 'f', 2);
  };
  return ReportText::tr(
             "Counterfeit: only the first %1 GB of %2 GB hold data. The drive now holds test "
             "data: format it before using it.")
      .arg(gigabytes(result.usableBytes), gigabytes(result.claimedBytes));
}

QString infoUnreadable(const QString& devicePath, const QString& why) {
  return ReportText::tr("Reading info failed on %1: %2").arg(devicePath, why);
}

QString checkOrInfoFailed(const QString& description) {
  return QStringLiteral("\u274C ") + ReportText::tr("Error: %1").arg(description);
}

}  // namespace tessaro::reportText
