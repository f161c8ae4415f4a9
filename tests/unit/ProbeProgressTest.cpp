// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "drives/ProbeProgress.h"
#include "drives/ProbeResult.h"

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

TEST(ProbeProgress, ReadsBackOnlyItsOwnLines) {
  for (const ProbeProgress progress :
       {ProbeProgress{0.42, 200}, ProbeProgress{0.97, 5}, ProbeProgress{0.03, std::nullopt}}) {
    const auto parsed = ProbeProgress::fromLine(progress.line());
    ASSERT_TRUE(parsed) << progress.line().toStdString();
    EXPECT_EQ(parsed->text(), progress.text());
  }
  EXPECT_EQ(ProbeProgress::fromLine("Progress: 42 %, about 3 min left")->secondsLeft, 180);
  for (const char* hostile :
       {"Progress: 101 %", "Progress: -1 %", "Progress: 42 % and more", "XProgress: 4 %",
        "Progress: 4", "Progress: 99999999999 %", "Progress: 5 %, about 99999999999 s left", ""}) {
    EXPECT_FALSE(ProbeProgress::fromLine(hostile)) << hostile;
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

TEST(ProbeResult, ReadsItsOwnLinesBackAndNothingThatDisagrees) {
  ProbeResult counterfeit;
  counterfeit.claimedBytes = 16ULL << 30;
  counterfeit.usableBytes = 1ULL << 30;
  counterfeit.firstBadOffset = 1ULL << 30;
  counterfeit.samples = 18440;
  counterfeit.intact = 18307;
  counterfeit.aliased = 133;
  QStringList lines{"$ something a tool said", "Progress: 100 %"};
  lines << counterfeit.details() << counterfeit.verdict();
  const auto read = ProbeResult::fromLines(lines);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->usableBytes, counterfeit.usableBytes);
  EXPECT_EQ(read->firstBadOffset, counterfeit.firstBadOffset);
  EXPECT_EQ(read->verdict(), counterfeit.verdict());
  EXPECT_EQ(read->aliased, 133);

  ProbeResult genuine;
  genuine.claimedBytes = genuine.usableBytes = 8'000'000'000;
  genuine.samples = 100;
  EXPECT_TRUE(ProbeResult::fromLines(genuine.details() << genuine.verdict()));

  const auto without = [&](const QString& start) {
    QStringList kept;
    for (const QString& line : lines) {
      if (!line.startsWith(start)) kept << line;
    }
    return kept;
  };
  const auto replaced = [&](const QString& start, const QString& by) {
    return without(start) << by;
  };
  const std::vector<QStringList> refused{
      without("Claimed size:"),
      without("Usable capacity:"),
      without("Counterfeit:"),                                  // no verdict
      lines + QStringList{"Genuine: all 3 samples read back"},  // two verdicts
      without("First bad offset:"),                             // counterfeit without an edge
      replaced("Usable capacity:", "Usable capacity: 99999999999 bytes"),  // above the claim
      replaced("First bad offset:", "First bad offset: 4096"),             // below usable
      replaced("First bad offset:", "First bad offset: 99999999999999"),   // past the end
      replaced("Usable capacity:", "Usable capacity: 99999999999999999999 bytes"),  // overflow
      replaced("Claimed size:", "Claimed size: -5 bytes"),
      genuine.details() << genuine.verdict() << "First bad offset: 5",
  };
  for (const QStringList& hostile : refused) {
    EXPECT_FALSE(ProbeResult::fromLines(hostile)) << hostile.join(" | ").toStdString();
  }
}

}  // namespace
