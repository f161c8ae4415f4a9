// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "Capability.h"
#include "ChildRun.h"
#include "CounterfeitDrive.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/ProbeResult.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

struct HelperOutcome {
  int status = -1;
  QStringList lines;
  std::optional<ProbeResult> result;  // from its result event
  std::optional<contract::FailureEvent> failure;
  int progressEvents = 0;
};

// Runs `tessaro-helper probe NAME [MODE]` as the application does, its
// standard input kept open.
HelperOutcome probeWithHelper(const QString& name, const QStringList& mode) {
  const test::ChildRun::Result ran = test::ChildRun::run(
      TESSARO_HELPER_BUILD_PATH, test::argumentsOf(QStringList{"probe", name} + mode),
      {.helperFrames = true});
  HelperOutcome outcome;
  outcome.status = ran.status;
  for (const QString& line : ran.lines) {
    if (line.isEmpty()) continue;
    const std::optional<contract::HelperEvent> event =
        contract::HelperEvent::fromLine(line.toStdString());
    if (!event) {
      EXPECT_FALSE(line.startsWith(HelperContract::eventPrefix))
          << "a malformed event: " << line.toStdString();
      outcome.lines << line;
    } else if (event->get<contract::ProgressEvent>()) {
      ++outcome.progressEvents;
    } else if (event->isResult()) {
      EXPECT_FALSE(outcome.result) << "two results";
      if (const auto* told = event->get<contract::ProbeResult>())
        outcome.result = ProbeResult::fromWire(*told);
      EXPECT_TRUE(outcome.result) << line.toStdString();
    } else if (const auto* failure = event->get<contract::FailureEvent>()) {
      outcome.failure = *failure;
    }
  }
  return outcome;
}

class ProbeHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }
};

// Kinds of the fake through the helper, as the application runs it: the
// verdict, its figures and its status agree; a drive that dies part way is no
// counterfeit, one that stops storing or takes no more writes after 64 MiB
// written is no genuine one, and a 2 GiB cache does not hide a counterfeit.
TEST_F(ProbeHelperTest, GivesTheExactVerdictOrSaysTheDriveStoppedResponding) {
  const auto bytes = [](qint64 value) { return QString::number(value); };
  struct Case {
    const char* kind;
    qint64 claimed;
    qint64 real;
    QStringList options;
    int status;
    QStringList mode = {};
  };
  const Case cases[] = {
      {"wrap", 16 * kGiB, kGiB, {}, HelperContract::counterfeit},
      {"drop", 4 * kGiB, 1536 * kMiB, {"--cache", bytes(128 * kMiB)}, HelperContract::counterfeit},
      {"wrap", 32 * kGiB, 4 * kGiB, {"--cache", bytes(2 * kGiB)}, HelperContract::counterfeit},
      {"genuine", 2 * kGiB, 0, {}, HelperContract::success},
      {"genuine", 4 * kGiB, 0, {"--drop-after", bytes(64 * kMiB)}, HelperContract::driveFailed},
      {"genuine", 4 * kGiB, 0, {"--readonly-after", bytes(64 * kMiB)}, HelperContract::driveFailed},
      {"genuine", 4 * kGiB, 0, {"--fail-after-ms", "300"}, HelperContract::driveStopped},
      {"wrap", 512 * kMiB, 192 * kMiB, {}, HelperContract::counterfeit, {"full"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + (c.options + c.mode).join(' ').toStdString());
    test::CounterfeitDrive fake(c.kind, c.claimed, c.real, c.options);
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const HelperOutcome outcome = probeWithHelper(fake.device().mid(5), c.mode);
    EXPECT_EQ(outcome.status, c.status) << outcome.lines.join('\n').toStdString();
    EXPECT_GT(outcome.progressEvents, 0);
    if (c.status == HelperContract::driveStopped) {
      ASSERT_TRUE(outcome.failure);
      EXPECT_EQ(outcome.failure->kind, "driveStopped");
      EXPECT_TRUE(outcome.failure->written);
      EXPECT_FALSE(outcome.result);
      EXPECT_TRUE(outcome.lines.last().startsWith("Failed: the drive stopped responding after "))
          << outcome.lines.last().toStdString();
      continue;
    }
    ASSERT_TRUE(outcome.result);
    // No line of the verdict from the helper: the caller says it.
    EXPECT_FALSE(
        outcome.lines.join('\n').contains(QString::fromStdString(outcome.result->verdictLine())));
    EXPECT_EQ(outcome.result->mode,
              c.mode.isEmpty() ? ProbeResult::Mode::quick : ProbeResult::Mode::full);
    EXPECT_GT(outcome.result->bytesWritten, 0u);
    // A drive that takes no writes any more keeps its old partition table, and says so.
    EXPECT_EQ(outcome.result->tableCleared, !c.options.contains("--readonly-after"));
    if (c.status == HelperContract::driveFailed) {
      EXPECT_EQ(outcome.result->verdict, ProbeResult::Verdict::failed);
      EXPECT_NEAR(double(outcome.result->failedAfterBytes.value_or(0)), double(64 * kMiB),
                  double(4 * kMiB));
      continue;
    }
    EXPECT_EQ(outcome.result->genuine(), c.status == HelperContract::success);
    EXPECT_EQ(outcome.result->usableBytes, quint64(c.real ? c.real : c.claimed));
    EXPECT_GT(outcome.result->writeBytesPerSecond, 0u);
  }
}

}  // namespace
