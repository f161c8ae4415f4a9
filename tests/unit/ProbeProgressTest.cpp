// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"
#include "exec/HelperEvent.h"

using namespace tessaro;

namespace {

TEST(ProbeProgress, EstimatesTheTimeLeftFromThePaceSoFar) {
  struct Case {
    quint64 done, planned;
    qint64 elapsedMs;
    QString text;
  };
  const std::vector<Case> cases{
      {0, 100, 0, "0 %"},
      {50, 100, 30000, "50 %, about 30 s left"},
      {25, 100, 60000, "25 %, about 3 min left"},
      {5, 1000, 5000, "0 %"},  // under a percent: no guess yet
      {50, 100, 500, "50 %"},  // under a second: no guess yet
      {100, 100, 9000, "100 %"},
      {150, 100, 9000, "100 %"},
      {0, 0, 0, "100 %"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProbeProgress::estimate(c.done, c.planned, c.elapsedMs).text(), c.text) << c.done;
  }
}

TEST(ProbeProgress, CrossesAsAnEventWithoutLosingTheTimeLeft) {
  for (const ProbeProgress progress : {ProbeProgress{0.42, 200, 5}, ProbeProgress{0.97, 5, 0},
                                       ProbeProgress{0.03, std::nullopt, 1ULL << 40}}) {
    const auto event = HelperEvent::fromLine(progress.event().line());
    ASSERT_TRUE(event);
    const auto read = ProbeProgress::fromEvent(*event);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fraction, progress.fraction);
    EXPECT_EQ(read->secondsLeft, progress.secondsLeft);
    EXPECT_EQ(read->bytesDone, progress.bytesDone);
  }
}

TEST(ProbeResult, SaysWhatItFoundInTheUsersTerms) {
  ProbeResult result;
  result.claimedBytes = 128'000'000'000;
  result.samples = 4000;
  result.usableBytes = 128'000'000'000;
  EXPECT_EQ(result.verdict(), "Genuine: all 4000 samples read back");
  result.usableBytes = 8'053'063'680;
  result.firstBadOffset = 8'053'063'680;
  EXPECT_EQ(result.verdict(), "Counterfeit: only the first 8.05 GB of 128.00 GB hold data");
  result.usableBytes = 0;
  result.firstBadOffset = 0;
  EXPECT_EQ(result.verdict(), "Counterfeit: only the first 0.00 GB of 128.00 GB hold data");
  EXPECT_TRUE(result.details().contains("First bad offset: 0"));
}

TEST(ProbeResult, CrossesAsAnEventWithEveryFigure) {
  ProbeResult counterfeit;
  counterfeit.claimedBytes = 16ULL << 30;
  counterfeit.usableBytes = 1ULL << 30;
  counterfeit.firstBadOffset = 1ULL << 30;
  counterfeit.samples = 18440;
  counterfeit.intact = 18307;
  counterfeit.aliased = 133;
  counterfeit.bytesWritten = 123456789;
  counterfeit.bytesRead = 98765432;
  counterfeit.milliseconds = 1234;
  counterfeit.cacheBytes = 128ULL << 20;
  counterfeit.writeBytesPerSecond = 20'000'000;
  counterfeit.readBytesPerSecond = 30'000'000;
  const auto event =
      HelperEvent::fromLine(HelperEvent::result("probe", counterfeit.toJson()).line());
  ASSERT_TRUE(event);
  const auto read = ProbeResult::fromJson(event->fields());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->toJson(), counterfeit.toJson());

  ProbeResult genuine;
  genuine.claimedBytes = genuine.usableBytes = 8'000'000'000;
  genuine.samples = genuine.intact = 100;
  EXPECT_TRUE(ProbeResult::fromJson(genuine.toJson()));
  // Hostile figures are in tests/fixtures/HelperEvents, run through the job.
}

}  // namespace
