// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "Capability.h"
#include "ChildRun.h"
#include "CounterfeitDrive.h"
#include "DataRows.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "drives/ProbeResult.h"
#include "helper/probe/LinuxProbeDevice.h"
#include "helper/probe/ProbeError.h"

using namespace tessaro;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;

// The probe on real block devices: loop devices over counterfeit drives made
// here, probed by the helper of this build as the application runs it.
class CapacityProbeLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }
};

// The loop rows of the kinds of fake drive (the unit test runs the others in
// memory): the verdict exact to the byte, its figures and the helper's status
// agree; a drive that dies part way is no counterfeit, one that stops storing
// or takes no more writes is no genuine one, and a cache does not hide a
// counterfeit.
TEST_F(CapacityProbeLoopTest, FindsTheRealSizeOfEveryKindOfFakeDrive) {
  namespace C = HelperContract;
  const std::map<QString, int> statuses{{"genuine", C::success},
                                        {"counterfeit", C::counterfeit},
                                        {"failed", C::driveFailed},
                                        {"stopped", C::driveStopped}};
  int rows = 0;
  for (const test::DataRow& row : test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/kinds.rows")) {
    const QStringList fields = test::textsOf(row.fields);
    if (fields[0] != "loop") continue;
    ++rows;
    SCOPED_TRACE((row.where + ": " + fields.join(" | ")).toStdString());
    const QStringList words = test::driveWordsOf(fields[1]);
    const QStringList where = fields[3].split(' ');
    const bool full = where.contains("full");
    const qint64 claimed = words[1].toLongLong();
    test::CounterfeitDrive drive(words[0], claimed, words[2].toLongLong(), words.mid(3));
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();

    const test::ChildRun::Result ran =
        test::ChildRun::run(TESSARO_HELPER_BUILD_PATH,
                            test::argumentsOf(QStringList{"probe", drive.device().mid(5)} +
                                              (full ? QStringList{"full"} : QStringList())),
                            {.helperFrames = true});
    std::optional<ProbeResult> result;
    std::optional<contract::FailureEvent> failure;
    QStringList lines;
    int progressEvents = 0;
    for (const QString& line : ran.lines) {
      const auto event = contract::HelperEvent::fromLine(line.toStdString());
      if (!event) {
        EXPECT_FALSE(line.startsWith(C::eventPrefix))
            << "a malformed event: " << line.toStdString();
        lines << line;
      } else if (event->get<contract::ProgressEvent>()) {
        ++progressEvents;
      } else if (const auto* told = event->get<contract::ProbeResult>()) {
        EXPECT_FALSE(result) << "two results";
        result = ProbeResult::fromWire(*told);
      } else if (const auto* failed = event->get<contract::FailureEvent>()) {
        failure = *failed;
      }
    }
    EXPECT_EQ(ran.status, statuses.at(fields[2])) << lines.join('\n').toStdString();
    EXPECT_GT(progressEvents, 0);
    if (fields[2] == "stopped") {
      ASSERT_TRUE(failure);
      EXPECT_EQ(failure->kind, "driveStopped");
      EXPECT_TRUE(failure->written);
      EXPECT_FALSE(result);
      EXPECT_TRUE(lines.last().startsWith("Failed: the drive stopped responding after "))
          << lines.last().toStdString();
      continue;
    }
    ASSERT_TRUE(result);
    std::printf("%s: %s\n", qPrintable(fields[1]), result->verdictLine().c_str());
    // No line of the verdict from the helper: the caller says it.
    EXPECT_FALSE(lines.join('\n').contains(QString::fromStdString(result->verdictLine())));
    EXPECT_EQ(result->mode, full ? ProbeResult::Mode::full : ProbeResult::Mode::quick);
    EXPECT_EQ(result->claimedBytes, quint64(claimed));
    EXPECT_GT(result->bytesWritten, 0u);
    // A drive that takes no writes any more keeps its old partition table, and says so.
    EXPECT_EQ(result->tableCleared, !words.contains("--readonly-after"));
    if (fields[2] == "failed") {
      EXPECT_EQ(result->verdict, ProbeResult::Verdict::failed);
      EXPECT_NEAR(double(result->failedAfterBytes.value_or(0)),
                  double(test::bytesOf(where.value(1))), double(4 * kMiB));
      continue;
    }
    EXPECT_EQ(result->genuine(), fields[2] == "genuine");
    EXPECT_EQ(result->usableBytes,
              result->genuine() ? quint64(claimed) : test::bytesOf(where[0]) / 4096 * 4096);
    EXPECT_GT(result->writeBytesPerSecond, 0u);
    // A cache is found where what it hides shows once it is full.
    if (const qsizetype cache = words.indexOf("--cache"); cache > 0 && words[0] == "drop") {
      const double bytes = words[cache + 1].toDouble();
      EXPECT_NEAR(double(result->cacheBytes), bytes, 0.1 * bytes);
    }
  }
  EXPECT_GT(rows, 3);
}

// The format rows: what the helper formats on a fake drive is read back from
// the drive, and a drive that loses or garbles what it was given fails.
TEST_F(CapacityProbeLoopTest, AFormatIsDoneOnlyWhereTheDriveKeepsIt) {
  int rows = 0;
  for (const test::DataRow& row : test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/kinds.rows")) {
    const QStringList fields = test::textsOf(row.fields);
    if (fields[0] != "format") continue;
    ++rows;
    SCOPED_TRACE((row.where + ": " + fields.join(" | ")).toStdString());
    const QStringList words = test::driveWordsOf(fields[1]);
    test::CounterfeitDrive drive(words[0], words[1].toLongLong(), words[2].toLongLong(),
                                 words.mid(3));
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();
    const test::ChildRun::Result ran = test::ChildRun::run(
        TESSARO_HELPER_BUILD_PATH,
        test::argumentsOf({"format", drive.device().mid(5), "KEPT", "default"}),
        {.helperFrames = true});
    std::optional<contract::FailureEvent> failure;
    for (const QString& line : ran.lines) {
      const auto event = contract::HelperEvent::fromLine(line.toStdString());
      if (const auto* failed = event ? event->get<contract::FailureEvent>() : nullptr)
        failure = *failed;
    }
    const std::string shown = ran.lines.join('\n').toStdString();
    if (fields[2] == "formatted") {
      EXPECT_EQ(ran.status, HelperContract::success) << shown;
      EXPECT_FALSE(failure) << shown;
      continue;
    }
    EXPECT_NE(ran.status, HelperContract::success) << shown;
    ASSERT_TRUE(failure) << shown;
    EXPECT_TRUE(failure->written) << shown;
  }
  EXPECT_EQ(rows, 4);
}

TEST_F(CapacityProbeLoopTest, RefusesWhatIsNotABlockDevice) {
  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  try {
    LinuxProbeDevice target(file.handle(), file.fileName().toStdString());
    FAIL() << "a regular file taken for a drive";
  } catch (const ProbeError& error) {
    EXPECT_TRUE(std::string(error.what()).ends_with(" is not a block device."));
  }
}

}  // namespace
