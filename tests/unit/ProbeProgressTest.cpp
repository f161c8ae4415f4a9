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

}  // namespace
