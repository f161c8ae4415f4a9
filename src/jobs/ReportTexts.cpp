// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ReportTexts.h"

#include <QCoreApplication>
#include <QLocale>

#include "drives/NumberLocale.h"
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

QString formatVerified(const contract::FormatVerdict& found) {
  const QLocale numbers = userNumberLocale();
  QString line =
      ReportText::tr(
          "Verified: %1 table, partition type %2 at sector %3; %4, label \"%5\", %6-byte "
          "clusters, %7 clusters")
          .arg(QString::fromStdString(found.table), QString::fromStdString(found.partitionType),
               QString::number(found.partitionStart), QString::fromStdString(found.fileSystem),
               QString::fromStdString(found.label), numbers.toString(found.clusterBytes),
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
  std::vector<std::string> words{command.tool.toStdString()};
  for (const QString& argument : command.args) words.push_back(argument.toStdString());
  return QStringLiteral("$ ") + QString::fromStdString(displayCommand(words));
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

QString probeStarting(const QString& devicePath, bool full) {
  if (full)
    return ReportText::tr(
               "Starting full capacity test of %1: every block is written and read back.")
        .arg(devicePath);
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

namespace {

// Sizes and speeds in the user's notation: GB and MB (powers of 1000) and MB/s.
QLocale probeNumbers() {
  //: The locale whose decimal point the sizes in gigabytes use.
  QLocale numbers(ReportText::tr("en_US"));
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  return numbers;
}

QString gigabytes(quint64 bytes) { return probeNumbers().toString(double(bytes) / 1e9, 'f', 2); }

QString megabytes(quint64 bytes) { return probeNumbers().toString(double(bytes) / 1e6, 'f', 1); }

QString regionText(const ProbeResult::Region& region) {
  //: A stretch of the drive, from one offset to another, in MB.
  return ReportText::tr("%1 MB to %2 MB").arg(megabytes(region.begin), megabytes(region.end));
}

QString regionsText(const std::vector<ProbeResult::Region>& regions) {
  QStringList shown;
  for (const ProbeResult::Region& region : regions) shown << regionText(region);
  //: The separator between stretches of the drive in a list.
  return shown.join(ReportText::tr(", "));
}

QString troubleText(const ProbeResult::Trouble& trouble, bool writes) {
  const QString first = QString::number(trouble.firstOffset.value_or(0));
  return writes ? ReportText::tr(
                      "Writes the drive refused, also when tried again: %n (%1 MB, the "
                      "first at byte %2)",
                      nullptr, int(trouble.requests))
                      .arg(megabytes(trouble.bytes), first)
                : ReportText::tr(
                      "Reads the drive failed, also when tried again: %n (%1 MB, the "
                      "first at byte %2)",
                      nullptr, int(trouble.requests))
                      .arg(megabytes(trouble.bytes), first);
}

}  // namespace

QString probeVerdict(const ProbeResult& result) {
  switch (result.verdict) {
    case ProbeResult::Verdict::genuine:
      if (result.mode == ProbeResult::Mode::full)
        return ReportText::tr(
            "Genuine: every block read back as written. The drive now holds test data: "
            "format it before using it.");
      return ReportText::tr(
                 "Genuine: all %1 samples read back. The drive now holds test data: format it "
                 "before using it.")
          .arg(result.samples);
    case ProbeResult::Verdict::counterfeit:
      return ReportText::tr(
                 "Counterfeit: only the first %1 GB of %2 GB hold data. The drive now holds "
                 "test data: format it before using it.")
          .arg(gigabytes(result.usableBytes), gigabytes(result.claimedBytes));
    case ProbeResult::Verdict::damaged: {
      const ProbeResult::Region first =
          result.badRegions.empty() ? ProbeResult::Region{} : result.badRegions.front();
      const int more = int(result.badRegions.size() + result.badRegionsLeftOut) - 1;
      const QString where =
          more > 0 ? ReportText::tr(
                         "Damaged: data read back wrong between %1 MB and %2 MB, and "
                         "in %n more place(s).",
                         nullptr, more)
                         .arg(megabytes(first.begin), megabytes(first.end))
                   : ReportText::tr("Damaged: data read back wrong between %1 MB and %2 MB.")
                         .arg(megabytes(first.begin), megabytes(first.end));
      return where + QLatin1Char(' ') +
             ReportText::tr(
                 "Do not trust the drive with data there. It now holds test data: "
                 "format it before using it.");
    }
    case ProbeResult::Verdict::failed:
      return (result.failure == ProbeResult::Failure::refusedWrites
                  ? ReportText::tr("Failed: the drive refused writes after %1 MB.")
                  : ReportText::tr("Failed: the drive stopped storing data after %1 MB written."))
                 .arg(megabytes(result.failedAfterBytes.value_or(0))) +
             QLatin1Char(' ') +
             ReportText::tr(
                 "Do not trust it with data: it may keep none of what is written to it.");
  }
  return {};
}

QStringList probeSummary(const ProbeResult& result) {
  QStringList lines;
  const QLocale numbers = probeNumbers();
  lines << ReportText::tr("Claimed size: %1 bytes (%2 GB)")
               .arg(result.claimedBytes)
               .arg(gigabytes(result.claimedBytes));
  switch (result.verdict) {
    case ProbeResult::Verdict::genuine:
    case ProbeResult::Verdict::counterfeit:
      lines << ReportText::tr("Usable capacity: %1 bytes (%2 GB)")
                   .arg(result.usableBytes)
                   .arg(gigabytes(result.usableBytes));
      break;
    case ProbeResult::Verdict::damaged:
      lines << ReportText::tr("Held data from the start up to byte %1 (%2 GB)")
                   .arg(result.usableBytes)
                   .arg(gigabytes(result.usableBytes));
      break;
    case ProbeResult::Verdict::failed:
      break;
  }
  if (result.firstBadOffset)
    lines << ReportText::tr("First bad offset: %1").arg(*result.firstBadOffset);
  if (!result.badRegions.empty()) {
    lines << ReportText::tr("Data lost from %1").arg(regionsText(result.badRegions));
    if (result.badRegionsLeftOut > 0)
      lines << ReportText::tr("... and in %n more place(s) not listed", nullptr,
                              int(result.badRegionsLeftOut));
    if (result.verdict == ProbeResult::Verdict::damaged)
      lines << ReportText::tr("Data held from %1").arg(regionsText(result.goodRegions()));
  }
  if (result.failedAfterBytes) {
    lines << (result.failure == ProbeResult::Failure::refusedWrites
                  ? ReportText::tr("The drive took %1 MB, then refused every write")
                  : ReportText::tr("The drive kept what was written up to %1 MB, then none of it"))
                 .arg(megabytes(*result.failedAfterBytes));
  }
  lines << (result.mode == ProbeResult::Mode::full
                ? ReportText::tr("Blocks: %1 (%2 intact, %3 aliased, %4 lost)")
                : ReportText::tr("Samples: %1 (%2 intact, %3 aliased, %4 lost)"))
               .arg(result.samples)
               .arg(result.intact)
               .arg(result.aliased)
               .arg(result.lost);
  if (result.writeErrors.requests > 0) lines << troubleText(result.writeErrors, true);
  if (result.readErrors.requests > 0) lines << troubleText(result.readErrors, false);
  if (result.retriedWrites + result.retriedReads > 0)
    lines << ReportText::tr(
                 "Requests that failed once and went through when tried again: %1 "
                 "writes, %2 reads")
                 .arg(result.retriedWrites)
                 .arg(result.retriedReads);
  lines << ReportText::tr("Written: %1 MB, read: %2 MB, in %3 s")
               .arg(megabytes(result.bytesWritten), megabytes(result.bytesRead),
                    numbers.toString(double(result.milliseconds) / 1000.0, 'f', 1));
  if (result.cacheBytes > 0) {
    lines << ReportText::tr("Write cache: about %1 MB answered reads of data it did not store")
                 .arg(megabytes(result.cacheBytes));
  } else if (result.cacheRuledOutBytes) {
    lines << ReportText::tr(
                 "Write cache: none of up to %1 MB hides missing capacity; only the "
                 "full test rules out a larger one")
                 .arg(megabytes(*result.cacheRuledOutBytes));
  } else {
    lines << ReportText::tr("Write cache: every block was written before any was read back");
  }
  if (result.writeBytesPerSecond > 0 || result.readBytesPerSecond > 0) {
    const auto speed = [&](quint64 bytesPerSecond) {
      return bytesPerSecond > 0 ? megabytes(bytesPerSecond) : ReportText::tr("(not measured)");
    };
    lines << (result.speedPartial
                  ? ReportText::tr("Sequential speed: writing %1 MB/s, reading %2 MB/s (from the "
                                   "writes the drive took; it refused some)")
                  : ReportText::tr("Sequential speed: writing %1 MB/s, reading %2 MB/s"))
                 .arg(speed(result.writeBytesPerSecond), speed(result.readBytesPerSecond));
  }
  return lines;
}

QString probeTableNotCleared(const QString& devicePath) {
  return ReportText::tr(
             "The old partition table of %1 could not be cleared, or the system still lists "
             "its partitions: unplug the drive and plug it in again before formatting it.")
      .arg(devicePath);
}

QString infoUnreadable(const QString& devicePath, const QString& why) {
  return ReportText::tr("Reading info failed on %1: %2").arg(devicePath, why);
}

QString checkOrInfoFailed(const QString& description) {
  return QStringLiteral("\u274C ") + ReportText::tr("Error: %1").arg(description);
}

}  // namespace tessaro::reportText
