// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/ReportTexts.h"

#include "drives/HelperFailure.h"

namespace tessaro::reportText {

namespace {

// "… on /dev/sdb: the drive is in use by another program (exit status 69)".
QString toolFailed(const QString& what, const QString& devicePath, int exitStatus,
                   const QString& doing) {
  return what + QStringLiteral(" on ") + devicePath + helperFailureSuffix(exitStatus, doing);
}

const QString kUdisksctlMissing = QStringLiteral("udisksctl (udisks2) is not installed.");

}  // namespace

QString refreshing() { return QStringLiteral("Refreshing drives..."); }

QString drivesFound(qsizetype count) {
  return QStringLiteral("Found %1 external/removable drive(s).").arg(count);
}

QString refreshFailed(const QString& description) {
  return QStringLiteral("Error refreshing drives: ") + description;
}

QString driveRemoved(const QString& description) {
  return QStringLiteral("Drive removed: ") + description;
}

QString formatStarting(const QString& devicePath) {
  return QStringLiteral("Starting format of ") + devicePath + QStringLiteral(" as FAT32.");
}

QString formatToolFailed(const QString& volumeName, const QString& devicePath, int exitStatus) {
  return toolFailed(QStringLiteral("Format failed for ") + volumeName, devicePath, exitStatus,
                    QStringLiteral("formatted"));
}

QString formatFailed(const QString& description) { return QStringLiteral("Error: ") + description; }

QString formatCancelledBeforeWriting(const QString& devicePath) {
  return QStringLiteral("Cancelled: nothing was written to ") + devicePath + QLatin1Char('.');
}

QString formatCancelledPartWay(const QString& devicePath) {
  return QStringLiteral("Cancelled: the format of ") + devicePath +
         QStringLiteral(" stopped part way; the drive is incomplete and must be formatted again.");
}

QString refreshCancelled() {
  return QStringLiteral("Cancelled: the drive list was not refreshed.");
}

QString checkCancelled(const QString& devicePath) {
  return QStringLiteral("Cancelled: nothing was checked on ") + devicePath + QLatin1Char('.');
}

QString checkCancelledPartWay(const QString& targetPath) {
  return QStringLiteral("Cancelled: the check of ") + targetPath +
         QStringLiteral(" stopped part way; check it again before relying on it.");
}

QString infoCancelled(const QString& devicePath) {
  return QStringLiteral("Cancelled: no information was read from ") + devicePath + QLatin1Char('.');
}

QString notMountedAfterFormat() {
  return QStringLiteral("The drive is formatted and not mounted: ") + kUdisksctlMissing;
}

QString formatComplete(const QString& volumeName, const QString& devicePath) {
  return QStringLiteral("Format complete for ") + volumeName + QStringLiteral(" on ") + devicePath;
}

QString checkStarting(const QString& devicePath) {
  return QStringLiteral("Running disk checking operation on ") + devicePath + QStringLiteral("...");
}

QString checkUsingPartition(const QString& partitionPath) {
  return QStringLiteral("\u2139\uFE0F Using partition ") + partitionPath +
         QStringLiteral(" for repair");
}

QString checkUsingWholeDisk(const QString& diskPath) {
  return QStringLiteral("\u26A0\uFE0F No partition found, using whole disk ") + diskPath;
}

QString checkCommandLine(const QString& tool, const QString& commandLine) {
  if (tool == QLatin1String("/bin/sh"))
    return QStringLiteral("$ sh -c \"") + commandLine + QLatin1Char('"');
  return QStringLiteral("$ ") + commandLine;
}

QString notMountedAfterCheck() { return QStringLiteral("Not mounted: ") + kUdisksctlMissing; }

QString checkToolFailed(const QString& targetPath, int exitStatus) {
  return toolFailed(QStringLiteral("Check failed"), targetPath, exitStatus,
                    QStringLiteral("checked"));
}

QString checkComplete() { return QStringLiteral("\u2705 Repair completed."); }

QString infoStarting(const QString& devicePath) {
  return QStringLiteral("Reading info for ") + devicePath + QStringLiteral("...");
}

QString infoToolFailed(const QString& devicePath, int exitStatus) {
  return toolFailed(QStringLiteral("Reading info failed"), devicePath, exitStatus,
                    QStringLiteral("read"));
}

QString checkOrInfoFailed(const QString& description) {
  return QStringLiteral("\u274C Error: ") + description;
}

}  // namespace tessaro::reportText
