// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "JobFixture.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "exec/HelperContract.h"
#include "jobs/ProbeJob.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

using ProbeJobTest = JobFixture;

const Drive kSdz{{}, "sdz", "/dev/sdz", "Stick (sdz)"};

const QByteArray kFigures =
    "Claimed size: 4294967296 bytes\nUsable capacity: 4294967296 bytes\n"
    "Samples: 3 (3 intact, 0 aliased, 0 lost)\n";
const QByteArray kCounterfeit =
    "Claimed size: 4294967296 bytes\nUsable capacity: 1073741824 bytes\n"
    "First bad offset: 1073741824\nSamples: 3 (1 intact, 2 aliased, 0 lost)\n"
    "Counterfeit: only the first 1.07 GB of 4.29 GB hold data\n";

}  // namespace

// The verdict ends the account only when the helper's status and every figure
// agree; progress moves a bar and never reaches the log.
TEST_F(ProbeJobTest, TheVerdictStandsOnlyWhenStatusAndLinesAgree) {
  const LinuxDiskTools tools("/usr/bin/lsblk", "/sys", "/opt/tessaro-helper");
  const QString untrusted =
      "failed: Error: The capacity test of /dev/sdz ended without a verdict that can be "
      "trusted; the drive holds test data: format it before using it.";
  // clang-format off
  const struct {
    QByteArray said;
    int status;
    QString outcome;
    std::optional<qint64> code;
  } rows[] = {
      {"Progress: 50 %\n" + kFigures + "Genuine: all 3 samples read back\n", 0,
       "succeeded: Genuine: all 3 samples read back", std::nullopt},
      {kCounterfeit, HelperContract::counterfeit,
       "failed: Counterfeit: only the first 1.07 GB of 4.29 GB hold data",
       HelperContract::counterfeit},
      // A status that contradicts the verdict, a verdict without its figures, no verdict.
      {kCounterfeit, 0, untrusted, 1},
      {kFigures + "Genuine: all 3 samples read back\n", HelperContract::counterfeit, untrusted, 1},
      {"Genuine: all 3 samples read back\n", 0, untrusted, 1},
      {kFigures, 0, untrusted, 1},
      {"Refused: /dev/sdz is in use by another program; nothing was written.\n",
       HelperContract::deviceBusy,
       "failed: Error: Capacity test failed on /dev/sdz: the drive is in use by another program "
       "(exit status 69)", HelperContract::deviceBusy},
  };
  // clang-format on
  for (const auto& [said, status, outcome, code] : rows) {
    SCOPED_TRACE(said.toStdString());
    say(said, status);
    ProbeJob job(tools, runner, kSdz);
    const QStringList calls = reportOf(job);
    ASSERT_GE(calls.size(), 2);
    EXPECT_EQ(calls.first(), "started: Starting capacity test of /dev/sdz.");
    EXPECT_EQ(calls.at(calls.size() - 2), outcome);
    EXPECT_FALSE(calls.join('\n').contains("Progress:"));
    EXPECT_EQ(job.failure() ? std::optional<qint64>(job.failure()->code()) : std::nullopt, code);
    EXPECT_EQ(job.result().has_value(), !outcome.startsWith("failed: Error:"));
  }
  EXPECT_EQ(ranArguments(), (QStringList{"/opt/tessaro-helper", "probe", "sdz"}));
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
