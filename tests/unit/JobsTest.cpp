// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The jobs: what each runs through a stand-in for pkexec, what it reports
// of the helper's lines and events, and when it fails.

#include <array>

#include "DataRows.h"
#include "JobFixture.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/CheckLine.h"
#include "drives/UserMount.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "jobs/BatchJob.h"
#include "jobs/CheckJob.h"
#include "jobs/FormatJob.h"
#include "jobs/HelperOutput.h"
#include "jobs/InfoJob.h"
#include "jobs/ProbeJob.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

const QString kDiskutil = kFixtures + "PartitionLookup/diskutil";

MacDiskTools mac() { return MacDiskTools(kDiskutil); }
// With the stand-in lsblk, which knows mmcblk0 (first partition mmcblk0p1)
// and no other disk.
LinuxDiskTools linux(const QString& lsblk = kFixtures + "PartitionLookup/lsblk") {
  return LinuxDiskTools(lsblk, "/sys", "/opt/tessaro-helper");
}
const Drive kDisk4{{}, "disk4", "/dev/disk4", "32 GB Ultra (disk4)"};
const Drive kSdz{{}, "sdz", "/dev/sdz", "Stick (sdz)"};
const Drive kMmc{{}, "mmcblk0", "/dev/mmcblk0", "SD card (mmcblk0)"};
const Drive kStick{{}, "sdz", "/dev/sdz", "32 GB Stick (sdz)", {}, false, 32'000'000'000};

using CheckJobTest = JobFixture;
using JobTest = JobFixture;
using FormatJobTest = JobFixture;
using ProbeJobTest = JobFixture;

// The account in one piece: the partition, the command line, the tools' lines
// as they wrote them, and a line break before the outcome.
TEST_F(CheckJobTest, PartitionLineCommandLineThenOneTrimmedLinePerChunk) {
  elevateWith("Repair/elevate-and-print-chunks");
  const MacDiskTools tools = mac();
  CheckJob job(tools, runner, kDisk4);
  const QString line = macCheckLine("disk4s1", kDiskutil);
  EXPECT_EQ(mergedReportOf(job),
            QStringList({"started: Running disk checking operation on /dev/disk4...",
                         "lines: \u2139\uFE0F Using partition /dev/disk4s1 for repair\n"
                         "$ sh -c \"" +
                             line +
                             "\"\n"
                             "  ** /dev/rdisk4s1  \n** Phase 1\n\n"
                             "** Phase 2 - Check Cluster Chains\n"
                             "   \n",
                         "succeeded: \u2705 Check complete.", "finished"}));
  EXPECT_EQ(ranArguments(), QStringList({"/bin/sh", "-c"}) + line.split('\n'));
}

TEST_F(CheckJobTest, FailedLookupChecksTheWholeDisk) {
  // macOS: unmount and mount the block device, check the raw one (Linux:
  // Jobs/outcomes.rows).
  const MacDiskTools macTools = mac();
  CheckJob onMac(macTools, runner, Drive{{}, "disk9", "/dev/disk9", "disk9"});
  EXPECT_TRUE(mergedReportOf(onMac).value(1).startsWith(
      "lines: \u26A0\uFE0F No partition found, using whole disk /dev/disk9\n$ sh -c \"" +
      kDiskutil + " unmount /dev/disk9 &&\n/sbin/fsck_msdos -fy /dev/rdisk9 &&\n" + kDiskutil +
      " mount /dev/disk9\"\n"));
}

// Each row of Jobs/outcomes.rows: a job, what the stand-in helper says and
// its exit status, the job's whole report, and how it failed.
TEST_F(JobTest, ReportsWhatTheHelperToldAndFailsOnlyAsItShould) {
  // Checks and info look the disk up with the stand-in lsblk.
  const LinuxDiskTools tools = linux("/usr/bin/lsblk"), lookupTools = linux();
  const FormatRequest request{kStick, "MY USB", 8192};
  const QList<DataRow> rows = readDataRows(kFixtures + "Jobs/outcomes.rows");
  ASSERT_GT(rows.size(), 20);
  for (const DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_EQ(row.fields.size(), 5);
    const QStringList verb = QString::fromUtf8(row.fields[0]).split(' ');
    say(unescaped(row.fields[1]), row.fields[2].toInt());
    std::unique_ptr<Job> job;
    PrivilegedCommand command;
    if (verb[0] == "check") {  // check DISK TARGET [listed]: TARGET looked up, or listed
      job = std::make_unique<CheckJob>(
          lookupTools, runner, verb[1] == "mmcblk0" ? kMmc : kSdz, CheckMode::repair,
          verb.value(3) == "listed" ? std::optional(verb[2]) : std::nullopt);
      command = lookupTools.checkCommand(verb[2], CheckMode::repair);
    } else if (verb[0] == "format") {
      job = std::make_unique<FormatJob>(tools, runner, request);
      command = tools.formatCommand(request);
    } else if (verb[0] == "probe") {  // probe [full]
      job = std::make_unique<ProbeJob>(tools, runner, kSdz, verb.value(1) == "full");
      command = *tools.probeCommand("sdz", verb.value(1) == "full");
    } else {
      job = std::make_unique<InfoJob>(lookupTools, runner, kSdz);
      command = lookupTools.infoReportCommand("sdz", {});
    }
    EXPECT_EQ(mergedReportOf(*job).join('|').toStdString(), unescaped(row.fields[3]).toStdString());
    EXPECT_EQ(ranArguments(), QStringList{"/opt/tessaro-helper"} + command.args);
    // The kind of failure, as the helper names it, and whether it had written.
    const QByteArrayList failure = wordsOf(row.fields[4]);
    ASSERT_EQ(job->failure().has_value(), failure[0] != "-");
    if (job->failure()) {
      EXPECT_EQ(job->failure()->kind, failure[0] == "errorsLeft"
                                          ? JobFailure::Kind::errorsLeft
                                          : JobFailure::ofHelperKind(failure[0]));
      EXPECT_EQ(job->failure()->written, failure.contains("written"));
    }
    // A verdict or a read-back stands only where the job did not fail for want of one.
    const bool verdict =
        !job->failure() ||
        QByteArrayList{"counterfeit", "damaged", "driveFailed"}.contains(failure[0]);
    // A probe that told progress has begun writing.
    if (const auto* probe = dynamic_cast<ProbeJob*>(job.get())) {
      EXPECT_EQ(probe->result().has_value(), verdict);
      EXPECT_EQ(probe->hasBegunWriting(), row.fields[3].contains("|progress: "));
    }
    if (const auto* check = dynamic_cast<CheckJob*>(job.get()))
      EXPECT_EQ(check->finding() == CheckFinding::errorsCorrected, failure.contains("corrected"));
    if (const auto* format = dynamic_cast<FormatJob*>(job.get()))
      EXPECT_EQ(format->verification().has_value(), !job->failure());
  }
}

// A job that breaks in a way no job expects.
class BrokenJob : public Job {
 protected:
  QString title() const override { return "Breaking..."; }
  QCoro::Task<> perform(Report&) override {
    throw 42;
    co_return;
  }
  QString failureLine(const QString& description) const override {
    return "Broken: " + description;
  }
  QString cancelledLine() const override { return "Cancelled: broken."; }
};

QByteArray eventLine(const contract::HelperEvent& event) {
  return QByteArray::fromStdString(event.line()) + '\n';
}

const QString kUnverified =
    "failed: Error: Format of MY USB on /dev/sdz could not be verified: the drive may not hold "
    "what was asked; format it again.";

// What a broken or hostile helper tells as a format's result, before it
// exits 0, never makes the format a success.
TEST_F(FormatJobTest, ResultsThatAreNotTheReadBacksOwnFailTheFormat) {
  const LinuxDiskTools tools = linux("/usr/bin/lsblk");
  const QByteArrayList lines =
      readDataLines(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-format-results.txt");
  EXPECT_GT(lines.size(), 15);
  for (const QByteArray& line : lines) {
    say(line + '\n', 0);
    FormatJob job(tools, runner, {kStick, "MY USB", 8192});
    const QStringList calls = reportOf(job);
    EXPECT_EQ(calls.value(calls.size() - 2), kUnverified) << line.toStdString();
    EXPECT_EQ(job.failure() ? std::optional(job.failure()->kind) : std::nullopt,
              JobFailure::Kind::verificationFailed);
  }
}

// A batch asks for administrator rights once; a drive the rules refuse runs
// nothing. Where the helper runs batches, its drives are one privileged run:
// one pkexec call for four drives, the refused drive never named, each drive
// told its own lines and result; rights refused fail each drive, pkexec's
// reason in the line. Elsewhere the first drive's run goes alone until the
// helper has begun, the others after it (the stand-in keeps rights as
// polkit's auth_admin_keep does); rights refused start none of the others.
TEST_F(FormatJobTest, ABatchAsksForRightsOnce) {
  elevateWith("Jobs/elevate-keeping");
  QTemporaryDir state;
  const QString kept = state.filePath("kept");
  const QString asked = state.filePath("asked");
  qputenv("TESSARO_TEST_KEPT", kept.toLocal8Bit());
  qputenv("TESSARO_TEST_ASKED", asked.toLocal8Bit());
  // The read-back of a format as MY USB with 8 KiB clusters.
  say(eventLine(contract::HelperEvent(contract::FormatVerdict{
      true, "dos", "c", 2048, 62498816, "FAT32", "MY USB", 8192, 3905000, 1048576, true})));
  const LinuxDiskTools tools = linux("/usr/bin/lsblk");
  for (const bool oneRun : {true, false}) {
    // The stand-ins read an empty variable as unset.
    qputenv("TESSARO_TEST_THEN", oneRun ? (kFixtures + "Jobs/elevate-batch").toLocal8Bit() : "");
    for (const bool refuse : {false, true}) {
      SCOPED_TRACE(std::string(oneRun ? "one run, " : "runs of their own, ") +
                   (refuse ? "refused" : "granted"));
      QFile::remove(kept);
      QFile::remove(asked);
      qputenv("TESSARO_TEST_REFUSE", refuse ? "1" : "");
      std::array<RecordingReport, 5> reports;
      BatchJob batch(runner, oneRun);
      for (int i = 0; i < 5; ++i) {
        Drive drive = kStick;
        drive.bsdName = QStringLiteral("sd") + QChar(u'v' + i);
        drive.devicePath = "/dev/" + drive.bsdName;
        // Too small for 8 KiB clusters: refused before anything runs.
        if (i == 0) drive.size = 64 << 20;
        batch.add(
            [&](ProcessRunner& on) {
              return std::make_unique<FormatJob>(
                  tools, on, FormatRequest{drive, "MY USB", 8192, std::nullopt});
            },
            reports[size_t(i)]);
      }
      const int done = awaitTask(batch.run());
      QFile file(asked);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QStringList calls = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
      EXPECT_EQ(calls.count("ask"), 1) << calls.join(' ').toStdString();
      EXPECT_EQ(calls.count("run"), refuse ? 0 : oneRun ? 1 : 4);
      EXPECT_EQ(done, refuse ? 0 : 4);
      EXPECT_EQ(bool(batch.refusedRights()), refuse);
      EXPECT_TRUE(reports[0].calls().value(1).startsWith("failed: Error: ")) << "too small";
      if (oneRun && !refuse) {
        EXPECT_EQ(ranArguments(), QStringList({"/opt/tessaro-helper", "batch", "format", "sdw",
                                               "sdx", "sdy", "sdz", "--", "MY USB", "8192"}));
      }
      for (int i = 1; i < 5; ++i) {
        const QStringList told = reports[size_t(i)].calls();
        const QString name = QStringLiteral("sd") + QChar(u'v' + i);
        if (refuse && (oneRun || i == 1)) {
          EXPECT_EQ(told.value(1), "failed: Error: Authorization failed (126): Request dismissed");
        } else if (refuse) {
          EXPECT_FALSE(batch.ran(i)) << i;
          EXPECT_EQ(told, QStringList());
        } else {
          EXPECT_TRUE(told.contains("verified: FAT32 \"MY USB\"")) << told.join('|').toStdString();
          if (oneRun) {
            EXPECT_EQ(told.filter("lines: working on ").join('|'), "lines: working on " + name);
          }
        }
      }
    }
  }
  for (const char* name : {"TESSARO_TEST_REFUSE", "TESSARO_TEST_THEN"}) qunsetenv(name);
}

TEST(Job, AnythingThrownEndsInTheFailureLineAndFinished) {
  BrokenJob job;
  RecordingReport report;
  EXPECT_FALSE(awaitTask(job.run(report)));
  EXPECT_EQ(report.calls(), QStringList({"started: Breaking...",
                                         "failed: Broken: Unexpected failure", "finished"}));
}

// udisks that cannot mount (not running, a device it does not manage) leaves
// a note, never a failure of the format or check before it.
TEST(UserMount, WhatUdisksctlSaysWhenItCannotMountIsANote) {
  QTemporaryDir dir;
  const QString udisksctl = dir.filePath("udisksctl");
  const auto answer = [&](const QByteArray& said, int status) {
    QFile script(udisksctl);
    script.remove();
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '" + said + "'\nexit " + QByteArray::number(status) + "\n");
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  };
  answer("Error looking up object for device /dev/loop0p1\\n", 1);
  UserMountOutcome outcome =
      awaitTask(mountAsDesktopUser(ProcessRunner::shared(), "/dev/loop0p1", udisksctl));
  EXPECT_TRUE(outcome.attempted);
  EXPECT_EQ(outcome.lines, QStringList());
  EXPECT_EQ(outcome.notes,
            QStringList{"Not mounted: Error looking up object for device /dev/loop0p1"});

  answer("Mounted /dev/sdz1 at /media/ann/STICK\\n", 0);
  outcome = awaitTask(mountAsDesktopUser(ProcessRunner::shared(), "/dev/sdz1", udisksctl));
  EXPECT_EQ(outcome.lines, QStringList{"Mounted /dev/sdz1 at /media/ann/STICK"});
  EXPECT_EQ(outcome.notes, QStringList());

  outcome = awaitTask(mountAsDesktopUser(ProcessRunner::shared(), "/dev/sdz1", "/nonexistent"));
  EXPECT_FALSE(outcome.attempted);
}

const QString kUntrusted =
    "failed: Error: The capacity test of /dev/sdz ended without a verdict that can be "
    "trusted; the drive holds test data: format it before using it.";

// What a broken or hostile helper prints where events go neither moves the
// bar, nor passes for a verdict, the start of writing, a step or the helper's
// failure, whatever the status.
TEST_F(ProbeJobTest, HostileEventLinesAreNoVerdictAndNoProgress) {
  const LinuxDiskTools tools = linux("/usr/bin/lsblk");
  const QByteArrayList lines =
      readDataLines(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-probe-lines.txt");
  EXPECT_GE(lines.size(), 55);
  for (const QByteArray& line : lines) {
    for (const int status : {int(HelperContract::success), int(HelperContract::counterfeit),
                             int(HelperContract::damaged), int(HelperContract::driveFailed)}) {
      SCOPED_TRACE(line.toStdString());
      say(line + '\n', status);
      ProbeJob job(tools, runner, kSdz);
      const QStringList calls = reportOf(job);
      EXPECT_EQ(calls.at(calls.size() - 2), kUntrusted);
      EXPECT_FALSE(calls.join('\n').contains("progress:"));
      EXPECT_FALSE(job.result());
      EXPECT_FALSE(job.hasBegunWriting());
    }
    HelperOutput output({});
    output.reader().lines({QString::fromUtf8(line)});
    EXPECT_FALSE(output.failure()) << line.toStdString();
    const std::optional<contract::HelperEvent> event =
        contract::HelperEvent::fromLine(line.toStdString());
    EXPECT_FALSE(event && event->get<contract::StepEvent>()) << line.toStdString();
  }
}

TEST_F(ProbeJobTest, WithoutACapacityTestNothingRuns) {
  const MacDiskTools tools;
  ProbeJob job(tools, runner, kSdz);
  EXPECT_EQ(reportOf(job),
            (QStringList{"started: Starting capacity test of /dev/sdz.",
                         "failed: Error: Testing a drive's capacity is not available on this "
                         "system yet.",
                         "finished"}));
  EXPECT_EQ(ranArguments(), QStringList());
}

}  // namespace
