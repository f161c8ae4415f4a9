// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFile>
#include <QTemporaryDir>
#include <array>

#include "JobFixture.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/UserMount.h"
#include "drives/linux/LinuxDiskTools.h"
#include "jobs/BatchJob.h"
#include "jobs/FormatJob.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

const Drive kStick{{}, "sdz", "/dev/sdz", "32 GB Stick (sdz)", {}, false, 32'000'000'000};

LinuxDiskTools linux() { return LinuxDiskTools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper"); }

using FormatJobTest = JobFixture;

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

// The read-back of a format of sdz as MY USB with 8 KiB clusters.
QByteArray formatResultLine(bool matches) {
  const contract::FormatVerdict verdict{matches,  "dos", "c",     2048,    62498816, "FAT32",
                                        "MY USB", 8192,  3905000, 1048576, true};
  return QByteArray::fromStdString(contract::HelperEvent(verdict).line()) + '\n';
}

const QString kUnverified =
    "failed: Error: Format of MY USB on /dev/sdz could not be verified: the drive may not hold "
    "what was asked; format it again.";

QStringList reportOf(Job& job) {
  RecordingReport report;
  awaitTask(job.run(report));
  return report.calls();
}

}  // namespace

// The tools' lines arrive as they come, as they were written; the outcome names the
// volume and the drive.
TEST_F(FormatJobTest, ChunksAsLinesThenOutcome) {
  const LinuxDiskTools tools = linux();
  const FormatRequest request{kStick, "MY USB", 8192};
  const QByteArray progress = eventLine({contract::ProgressEvent{0.5, 0, std::nullopt}});
  const struct {
    QByteArray told;
    int status;
    QString outcome;
    std::optional<JobFailure::Kind> kind;
    bool written = false;
  } rows[] = {
      // No udisksctl on this machine: said so before the outcome.
      {progress + formatResultLine(true), 0,
       "steps: 0.5|verified: FAT32 \"MY USB\"|"
       "lines: The drive is formatted and not mounted: udisksctl (udisks2) is not installed.|"
       "succeeded: Format complete for MY USB on /dev/sdz",
       std::nullopt},
      {"", 1, "failed: Error: Format failed for MY USB on /dev/sdz: a tool failed",
       JobFailure::Kind::toolFailed},
      // Ended well without the read-back saying so: never a success.
      {"", 0, kUnverified, JobFailure::Kind::verificationFailed},
      {formatResultLine(true) + formatResultLine(true), 0, kUnverified,
       JobFailure::Kind::verificationFailed},
      // The helper's failure event tells the kind and whether it had written.
      {eventLine(
           {contract::FailureEvent::of(HelperContract::deviceBusy, false, "Refused: in use")}),
       HelperContract::deviceBusy,
       "failed: Error: Format failed for MY USB on /dev/sdz: the drive is in use by another "
       "program",
       JobFailure::Kind::deviceBusy},
      // A drive that has gone is said so, whatever the job.
      {eventLine(
           {contract::FailureEvent::of(HelperContract::noSuchDevice, false, "Refused: gone")}),
       HelperContract::noSuchDevice, "failed: Error: The drive is no longer attached.",
       JobFailure::Kind::noSuchDevice},
      {eventLine({contract::WritingEvent{}}) +
           eventLine(
               {contract::FailureEvent{"toolFailed", true, "mkfs.fat", 1, "Failed: mkfs.fat"}}),
       1, "failed: Error: Format failed for MY USB on /dev/sdz: a tool failed",
       JobFailure::Kind::toolFailed, true},
  };
  for (const auto& [told, status, outcome, kind, written] : rows) {
    say("  mkfs.fat 4.2 (2021-01-31)\r\nDone.  \n" + told, status);
    FormatJob job(tools, runner, request);
    EXPECT_EQ(reportOf(job).join('|'),
              "started: Starting format of /dev/sdz as FAT32.|"
              "lines:   mkfs.fat 4.2 (2021-01-31)\nDone.  |" +
                  outcome + "|finished");
    EXPECT_EQ(job.failure() ? std::optional(job.failure()->kind) : std::nullopt, kind);
    EXPECT_EQ(job.failure() && job.failure()->written, written);
    EXPECT_EQ(job.verification().has_value(), !kind);
    EXPECT_EQ(ranArguments(),
              QStringList{"/opt/tessaro-helper"} + tools.formatCommand(request).args);
  }
}

// What a broken or hostile helper tells as a format's result, before it
// exits 0, never makes the format a success.
TEST_F(FormatJobTest, ResultsThatAreNotTheReadBacksOwnFailTheFormat) {
  const LinuxDiskTools tools = linux();
  QFile file(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-format-results.txt");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  int rows = 0;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty() || line.startsWith('#')) continue;
    ++rows;
    say(line + '\n', 0);
    FormatJob job(tools, runner, {kStick, "MY USB", 8192});
    const QStringList calls = reportOf(job);
    EXPECT_EQ(calls.value(calls.size() - 2), kUnverified) << line.toStdString();
    EXPECT_EQ(job.failure() ? std::optional(job.failure()->kind) : std::nullopt,
              JobFailure::Kind::verificationFailed);
  }
  EXPECT_GT(rows, 15);
}

TEST_F(FormatJobTest, RefusedRequestsRunNothing) {
  const LinuxDiskTools tools = linux();
  FormatJob tooLong(tools, runner, {kStick, "MUCH TOO LONG A NAME", std::nullopt});
  EXPECT_EQ(reportOf(tooLong).value(1),
            "failed: Error: The volume name \"MUCH TOO LONG A NAME\" is 20 characters long; "
            "FAT32 allows at most 11.");
  Drive tiny = kStick;
  tiny.size = 64 << 20;
  FormatJob tooSmall(tools, runner, {tiny, "MY USB", 65536});
  EXPECT_TRUE(reportOf(tooSmall).value(1).startsWith("failed: Error: ")) << "cluster size";
  EXPECT_EQ(ranArguments(), QStringList());

  // pkexec's reason, from its standard error, joins the failure line.
  elevateWith("Repair/elevate-dismissed");
  FormatJob refused(tools, runner, {kStick, "MY USB", std::nullopt});
  EXPECT_EQ(
      reportOf(refused).mid(1),
      QStringList({"failed: Error: Authorization failed (126): Request dismissed", "finished"}));
}

// A batch asks for administrator rights once. Where the helper runs batches,
// its drives are one privileged run: one pkexec call for four drives, a drive
// the rules refuse never named, each drive told its own lines and result;
// rights refused fail each drive. Elsewhere the first drive's run goes alone
// until the helper has begun, the others after it (the stand-in keeps rights
// as polkit's auth_admin_keep does); rights refused start none of the others.
TEST_F(FormatJobTest, ABatchAsksForRightsOnce) {
  elevateWith("Jobs/elevate-keeping");
  QTemporaryDir state;
  const QString kept = state.filePath("kept");
  const QString asked = state.filePath("asked");
  qputenv("TESSARO_TEST_KEPT", kept.toLocal8Bit());
  qputenv("TESSARO_TEST_ASKED", asked.toLocal8Bit());
  say(formatResultLine(true));
  const LinuxDiskTools tools = linux();
  for (const bool oneRun : {true, false}) {
    if (oneRun)
      qputenv("TESSARO_TEST_THEN", (kFixtures + "Jobs/elevate-batch").toLocal8Bit());
    else
      qunsetenv("TESSARO_TEST_THEN");
    for (const bool refuse : {false, true}) {
      SCOPED_TRACE(std::string(oneRun ? "one run, " : "runs of their own, ") +
                   (refuse ? "refused" : "granted"));
      QFile::remove(kept);
      QFile::remove(asked);
      if (refuse)
        qputenv("TESSARO_TEST_REFUSE", "1");
      else
        qunsetenv("TESSARO_TEST_REFUSE");
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
