// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFile>

#include "JobFixture.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "jobs/HelperOutput.h"
#include "jobs/ProbeJob.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

using ProbeJobTest = JobFixture;

const Drive kSdz{{}, "sdz", "/dev/sdz", "Stick (sdz)"};

QByteArray eventLine(const contract::HelperEvent& event) {
  return QByteArray::fromStdString(event.line()) + '\n';
}

ProbeResult counterfeitResult() {
  ProbeResult result;
  result.verdict = ProbeResult::Verdict::counterfeit;
  result.claimedBytes = 4294967296;
  result.usableBytes = result.firstBadOffset.emplace(1073741824);
  result.samples = 3;
  result.intact = 1;
  result.aliased = 2;
  return result;
}

ProbeResult genuineResult() {
  ProbeResult result;
  result.claimedBytes = result.usableBytes = 4294967296;
  result.samples = result.intact = 3;
  return result;
}

ProbeResult failedResult() {
  ProbeResult result;
  result.verdict = ProbeResult::Verdict::failed;
  result.claimedBytes = 4294967296;
  result.failure = ProbeResult::Failure::refusedWrites;
  result.bytesWritten = 200000000;
  result.failedAfterBytes = 67108864;
  result.samples = result.intact = 3;
  result.cacheRuledOutBytes = 0;
  return result;
}

ProbeResult damagedResult() {
  ProbeResult result = genuineResult();
  result.verdict = ProbeResult::Verdict::damaged;
  result.badRegions = {{1073741824, 1074790400}};
  result.usableBytes = 1073741824;
  result.tableCleared = false;
  return result;
}

QByteArray resultLine(const ProbeResult& result) {
  return QByteArray::fromStdString(contract::HelperEvent(result.wire()).line()) + '\n';
}

const QString kUntrusted =
    "failed: Error: The capacity test of /dev/sdz ended without a verdict that can be "
    "trusted; the drive holds test data: format it before using it.";

}  // namespace

// The verdict ends the account only when the helper's status and its result
// event agree; events move the bar and never reach the log.
TEST_F(ProbeJobTest, TheVerdictStandsOnlyWhenStatusAndResultAgree) {
  const LinuxDiskTools tools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  const QByteArray progress = eventLine({contract::ProgressEvent{0.5, 1 << 20, 30}});
  const QByteArray genuine = resultLine(genuineResult());
  const QByteArray counterfeit = resultLine(counterfeitResult());
  const QByteArray damaged = resultLine(damagedResult());
  const QByteArray failed = resultLine(failedResult());
  // clang-format off
  const struct {
    QByteArray said;
    int status;
    QString outcome;
    std::optional<JobFailure::Kind> kind;
  } rows[] = {
      {progress + "Claimed size: 4294967296 bytes\n" + genuine, 0,
       "succeeded: Genuine: all 3 samples read back. The drive now holds test data: format it "
       "before using it.", std::nullopt},
      {counterfeit, HelperContract::counterfeit,
       "failed: Counterfeit: only the first 1.07 GB of 4.29 GB hold data. The drive now holds "
       "test data: format it before using it.", JobFailure::Kind::counterfeit},
      {damaged, HelperContract::damaged,
       "failed: Damaged: data read back wrong between 1073.7 MB and 1074.8 MB. Do not trust the "
       "drive with data there. It now holds test data: format it before using it.",
       JobFailure::Kind::damaged},
      {failed, HelperContract::driveFailed,
       "failed: Failed: the drive refused writes after 67.1 MB. Do not trust it with data: it "
       "may keep none of what is written to it.", JobFailure::Kind::driveFailed},
      // A status that contradicts the verdict, two verdicts, none.
      {counterfeit, 0, kUntrusted, JobFailure::Kind::toolFailed},
      {failed, HelperContract::damaged, kUntrusted, JobFailure::Kind::toolFailed},
      {damaged, HelperContract::counterfeit, kUntrusted, JobFailure::Kind::toolFailed},
      {genuine, HelperContract::counterfeit, kUntrusted, JobFailure::Kind::toolFailed},
      {genuine + genuine, 0, kUntrusted, JobFailure::Kind::toolFailed},
      {"Genuine: all 3 samples read back\n", 0, kUntrusted, JobFailure::Kind::toolFailed},
      {eventLine({contract::FailureEvent{"driveStopped", true, {}, HelperContract::driveStopped,
                                         "Failed: the drive stopped responding"}}),
       HelperContract::driveStopped,
       "failed: Failed: /dev/sdz stopped responding during the capacity test, so there is no "
       "verdict on its capacity; the drive holds test data: format it before using it.",
       JobFailure::Kind::driveStopped},
      {"Refused: /dev/sdz is in use by another program; nothing was written.\n",
       HelperContract::deviceBusy,
       "failed: Error: Capacity test failed on /dev/sdz: the drive is in use by another program",
       JobFailure::Kind::deviceBusy},
  };
  // clang-format on
  for (const auto& [said, status, outcome, kind] : rows) {
    SCOPED_TRACE(said.toStdString());
    say(said, status);
    ProbeJob job(tools, runner, kSdz);
    const QStringList calls = reportOf(job);
    ASSERT_GE(calls.size(), 2);
    EXPECT_EQ(calls.first(), "started: Starting capacity test of /dev/sdz.");
    EXPECT_EQ(calls.at(calls.size() - 2), outcome);
    EXPECT_FALSE(calls.join('\n').contains(HelperContract::eventPrefix));
    EXPECT_EQ(job.failure() ? std::optional(job.failure()->kind) : std::nullopt, kind);
    EXPECT_EQ(job.result().has_value(),
              !outcome.startsWith("failed: Error:") && status != HelperContract::driveStopped);
  }
  say(progress + genuine, 0);
  ProbeJob job(tools, runner, kSdz);
  EXPECT_TRUE(reportOf(job).contains("progress: 50 %, about 30 s left"));
  EXPECT_TRUE(job.hasBegunWriting());
  EXPECT_EQ(ranArguments(), (QStringList{"/opt/tessaro-helper", "probe", "sdz"}));
  // The full test asks the helper for it; a table the helper could not clear is said.
  say(damaged, HelperContract::damaged);
  ProbeJob full(tools, runner, kSdz, true);
  const QStringList calls = reportOf(full);
  EXPECT_EQ(calls.first(),
            "started: Starting full capacity test of /dev/sdz: every block is written and read "
            "back.");
  EXPECT_EQ(ranArguments(), (QStringList{"/opt/tessaro-helper", "probe", "sdz", "full"}));
  EXPECT_TRUE(calls.join('\n').contains("Data lost from 1073.7 MB to 1074.8 MB"));
  EXPECT_TRUE(
      calls.join('\n').contains("The old partition table of /dev/sdz could not be cleared"));
}

// What a broken or hostile helper prints where events go neither moves the
// bar, nor passes for a verdict, the start of writing, a step or the helper's
// failure, whatever the status.
TEST_F(ProbeJobTest, HostileEventLinesAreNoVerdictAndNoProgress) {
  const LinuxDiskTools tools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  QFile file(TESSARO_FIXTURES_DIR "/HelperEvents/hostile-probe-lines.txt");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  int rows = 0;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty() || line.startsWith('#')) continue;
    ++rows;
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
  EXPECT_GE(rows, 55);
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
