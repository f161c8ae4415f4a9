// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFileInfo>

#include "LoopImage.h"
#include "exec/HelperContract.h"
#include "exec/HelperEvent.h"
#include "Capability.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

struct HelperOutcome {
  int status = -1;
  QStringList lines;  // for people
  bool result = false;  // a result event came
};

// Runs `tessaro-helper probe NAME` as the application does, its standard input
// kept open; cancels once it has printed cancelAfter, when given.
HelperOutcome probeWithHelper(const QString& name, const QString& cancelAfter = {}) {
  test::ChildRun helper(TESSARO_HELPER_BUILD_PATH, {"probe", name.toUtf8()});
  if (!cancelAfter.isEmpty() &&
      helper.waitForLine([&](const QString& line) { return line.contains(cancelAfter); },
                         test::ChildRun::kTimeoutMs)) {
    helper.send(QByteArray(HelperContract::cancelRequest) + "\n");
  }
  const test::ChildRun::Result ran = helper.finish();
  HelperOutcome outcome{ran.status, {}, false};
  for (const QString& line : ran.lines) {
    const std::optional<HelperEvent> event = HelperEvent::fromLine(line);
    if (!event && !line.isEmpty()) outcome.lines << line;
    outcome.result |= event && event->kind() == HelperEvent::Kind::result;
  }
  return outcome;
}

class ProbeHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  }
};

// After the verdict the kernel knows no partition of the drive any more.
TEST_F(ProbeHelperTest, LeavesNoPartitionBehind) {
  test::LoopImage image(256 * kMiB);
  ASSERT_FALSE(image.device().isEmpty());
  const QString name = image.device().mid(5);
  ASSERT_EQ(test::runProgram("sh", {"-c", "echo 'start=2048, type=c' | sfdisk -q " +
                                              image.device() + " && partx -a " + image.device()})
                .first,
            0);
  ASSERT_TRUE(QFileInfo::exists("/sys/class/block/" + name + "/" + name + "p1"));
  const HelperOutcome outcome = probeWithHelper(name);
  EXPECT_EQ(outcome.status, HelperContract::success) << outcome.lines.join('\n').toStdString();
  EXPECT_FALSE(QFileInfo::exists("/sys/class/block/" + name + "/" + name + "p1"));
  EXPECT_EQ(test::runProgram("blkid", {"-p", image.device()}).second, "");
}

TEST_F(ProbeHelperTest, StopsOnCancelAndSaysTheDriveHoldsTestData) {
  test::LoopImage image(4 * kGiB);
  ASSERT_FALSE(image.device().isEmpty());
  const HelperOutcome outcome = probeWithHelper(image.device().mid(5), "\"fraction\":0.01");
  EXPECT_EQ(outcome.status, HelperContract::cancelled) << outcome.lines.join('\n').toStdString();
  ASSERT_FALSE(outcome.lines.isEmpty());
  EXPECT_TRUE(outcome.lines.last().startsWith("Cancelled: ")) << outcome.lines.last().toStdString();
  EXPECT_FALSE(outcome.result);
}

}  // namespace
