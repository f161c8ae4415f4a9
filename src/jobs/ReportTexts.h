// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "contract/FormatVerdict.h"
#include "drives/CheckLine.h"
#include "drives/DiskTools.h"
#include "drives/ProbeResult.h"

namespace tessaro::reportText {

// Every line a job reports, in one place. Failures read one way per job:
// "Error refreshing drives: ", "Error: " (format), "❌ Error: " (check, info),
// each followed by a description that says what failed and why.

QString refreshing();
QString drivesFound(qsizetype count);
QString refreshFailed(const QString& description);
// The selected drive is gone since the last list.
QString driveRemoved(const QString& description);
// The drive a job was to work on is gone: the helper found no device of its name.
QString driveGone();

QString formatStarting(const QString& devicePath);
// "Format failed for MY USB on /dev/sdb: a tool failed", with the helper's
// reason for its status (helperFailureReason) where it has one, never the
// status itself (the helper's own line and --json tell it): a description.
QString formatToolFailed(const QString& volumeName, const QString& devicePath, int exitStatus);
QString formatFailed(const QString& description);
// The tools ended well but the read-back did not say the drive holds what was asked.
QString formatUnverified(const QString& volumeName, const QString& devicePath);
QString formatCancelledBeforeWriting(const QString& devicePath);
QString formatCancelledPartWay(const QString& devicePath);
QString refreshCancelled();
QString checkCancelled(const QString& devicePath);
QString checkCancelledPartWay(const QString& targetPath);
QString infoCancelled(const QString& devicePath);
QString notMountedAfterFormat();
QString formatComplete(const QString& volumeName, const QString& devicePath);
// What the read-back found when it matches what was asked: "Verified: dos
// table, partition type c at sector 2048; FAT32, label "MY USB", ...".
QString formatVerified(const contract::FormatVerdict& found);

QString checkStarting(const QString& devicePath);
QString checkUsingPartition(const QString& partitionPath, CheckMode mode);
QString checkUsingWholeDisk(const QString& diskPath);
// A shell line as the shell gets it; any other tool as it is run.
QString checkCommandLine(const PrivilegedCommand& command);
QString notMountedAfterCheck();
QString checkToolFailed(const QString& targetPath, int exitStatus);
// What a check that ended well found: no errors, or errors it corrected.
QString checkFound(CheckFinding finding);
// A check found errors and left them: a repair that could not correct them
// all, or a read-only check, which corrects nothing.
QString checkErrorsLeft(const QString& targetPath);
QString checkErrorsFound(const QString& targetPath);
QString checkComplete();

QString infoStarting(const QString& devicePath);
QString infoToolFailed(const QString& devicePath, int exitStatus);
// The tool ended well but what it printed could not be read.
QString infoUnreadable(const QString& devicePath, const QString& why);

QString probeStarting(const QString& devicePath, bool full = false);
QString probeUnavailable();
// "Capacity test failed on /dev/sdb: the drive is in use by another program".
QString probeToolFailed(const QString& devicePath, int exitStatus);
// The helper ended without a verdict that agrees with its exit status.
QString probeUnreadable(const QString& devicePath);
// The drive stopped answering part way: a failure, not a verdict.
QString probeDriveStopped(const QString& devicePath);
QString probeCancelledBeforeWriting(const QString& devicePath);
QString probeCancelledPartWay(const QString& devicePath);
// The test's finding as the user reads it; ProbeResult::verdictLine() stays
// the same in every language (the command line's JSON).
QString probeVerdict(const ProbeResult& result);
// The figures behind it, one line each, in MB and MB/s (powers of 1000).
QStringList probeSummary(const ProbeResult& result);
// Clearing the partition table after the test failed.
QString probeTableNotCleared(const QString& devicePath);

// The failure line of a check or an information report.
QString checkOrInfoFailed(const QString& description);

}  // namespace tessaro::reportText
