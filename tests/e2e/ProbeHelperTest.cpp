// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>

#include "CounterfeitDrive.h"
#include "drives/ProbeResult.h"
#include "exec/HelperContract.h"
#include "Capability.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

struct HelperOutcome {
  int status = -1;
  QStringList lines;
};

// Runs `tessaro-helper probe NAME` as the application does, its standard input
// kept open; cancels once it has printed cancelAfter, when given.
HelperOutcome probeWithHelper(const QString& name, const QString& cancelAfter = {}) {
  QProcess helper;
  helper.start(TESSARO_HELPER_BUILD_PATH, {"probe", name});
  HelperOutcome outcome;
  QByteArray output;
  bool cancelled = false;
  while (helper.state() != QProcess::NotRunning || helper.bytesAvailable() > 0) {
    helper.waitForReadyRead(200);
    output += helper.readAllStandardOutput();
    if (!cancelAfter.isEmpty() && !cancelled && output.contains(cancelAfter.toUtf8())) {
      helper.write(QByteArray(HelperContract::cancelRequest) + "\n");
      cancelled = true;
    }
    if (helper.state() == QProcess::NotRunning) output += helper.readAllStandardOutput();
    if (helper.state() == QProcess::NotRunning && helper.bytesAvailable() == 0) break;
  }
  outcome.status = helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
  outcome.lines = QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
  return outcome;
}

class ProbeHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }
};

TEST_F(ProbeHelperTest, SaysCounterfeitWithTheRealSizeAndGenuineForAGenuineImage) {
  {
    test::CounterfeitDrive fake("wrap", 16 * kGiB, kGiB);
    ASSERT_FALSE(fake.device().isEmpty()) << fake.failure().toStdString();
    const HelperOutcome outcome = probeWithHelper(fake.device().mid(5));
    EXPECT_EQ(outcome.status, HelperContract::counterfeit)
        << outcome.lines.join('\n').toStdString();
    const auto result = ProbeResult::fromLines(outcome.lines);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->usableBytes, quint64(kGiB));
    EXPECT_TRUE(
        outcome.lines.contains("Counterfeit: only the first 1.07 GB of 17.18 GB hold data"));
    EXPECT_TRUE(outcome.lines.contains("Progress: 0 %") || outcome.lines.contains("Progress: 1 %"));
  }
  test::LoopImage image(16 * kGiB);
  ASSERT_FALSE(image.device().isEmpty());
  const HelperOutcome outcome = probeWithHelper(image.device().mid(5));
  EXPECT_EQ(outcome.status, HelperContract::success) << outcome.lines.join('\n').toStdString();
  ASSERT_FALSE(outcome.lines.isEmpty());
  EXPECT_TRUE(outcome.lines.last().startsWith("Genuine: all "))
      << outcome.lines.last().toStdString();
}

TEST_F(ProbeHelperTest, StopsOnCancelAndSaysTheDriveHoldsTestData) {
  test::LoopImage image(4 * kGiB);
  ASSERT_FALSE(image.device().isEmpty());
  const HelperOutcome outcome = probeWithHelper(image.device().mid(5), "Progress: 1 %");
  EXPECT_EQ(outcome.status, HelperContract::cancelled) << outcome.lines.join('\n').toStdString();
  ASSERT_FALSE(outcome.lines.isEmpty());
  EXPECT_TRUE(outcome.lines.last().startsWith("Cancelled: ")) << outcome.lines.last().toStdString();
  EXPECT_FALSE(ProbeResult::fromLines(outcome.lines));
}

TEST_F(ProbeHelperTest, RefusesPathsShellTextAndReadOnlyDrives) {
  test::LoopImage readOnly(64 * kMiB, true);
  ASSERT_FALSE(readOnly.device().isEmpty());
  const QString before = readOnly.hash();
  struct Case {
    QString argument;
    int status;
  };
  for (const Case& c : {Case{readOnly.device(), HelperContract::usage},
                        Case{readOnly.device().mid(5), HelperContract::refusedDevice},
                        Case{"../" + readOnly.device().mid(5), HelperContract::usage},
                        Case{readOnly.device().mid(5) + " ", HelperContract::usage},
                        Case{readOnly.device().mid(5) + "; true", HelperContract::usage},
                        Case{"", HelperContract::usage}}) {
    const HelperOutcome outcome = probeWithHelper(c.argument);
    EXPECT_EQ(outcome.status, c.status) << c.argument.toStdString() << "\n"
                                        << outcome.lines.join('\n').toStdString();
  }
  EXPECT_EQ(readOnly.hash(), before);
}

}  // namespace
