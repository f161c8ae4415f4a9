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

namespace C = HelperContract;
constexpr qint64 kMiB = qint64(1) << 20;

// The probe and the format on real block devices: loop devices over
// counterfeit drives made here, worked on by the helper of this build as the
// application runs it.
class CapacityProbeLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingFuse(); !why.empty()) GTEST_SKIP() << why;
  }
};

// What a run of the helper told, read as the application reads it.
struct Told {
  int status = -1;
  QStringList lines;  // its text, without the events
  std::optional<ProbeResult> result;
  std::optional<contract::FailureEvent> failure;
  int progressEvents = 0;
};

Told runHelper(const QStringList& args) {
  const test::ChildRun::Result ran = test::ChildRun::run(
      TESSARO_HELPER_BUILD_PATH, test::argumentsOf(args), {.helperFrames = true});
  Told told{ran.status};
  for (const QString& line : ran.lines) {
    const auto event = contract::HelperEvent::fromLine(line.toStdString());
    if (!event) {
      EXPECT_FALSE(line.startsWith(C::eventPrefix)) << "a malformed event: " << line.toStdString();
      told.lines << line;
    } else if (event->get<contract::ProgressEvent>()) {
      ++told.progressEvents;
    } else if (const auto* result = event->get<contract::ProbeResult>()) {
      EXPECT_FALSE(told.result) << "two results";
      told.result = ProbeResult::fromWire(*result);
    } else if (const auto* failed = event->get<contract::FailureEvent>()) {
      told.failure = *failed;
    }
  }
  return told;
}

// Checks each row of Probe/kinds.rows of the mode given on a fake drive of its
// own: check(fields, the drive's words, its kernel name).
template <typename Check>
void checkEachRow(const QString& mode, const Check& check) {
  int rows = 0;
  for (const test::DataRow& row : test::readDataRows(TESSARO_FIXTURES_DIR "/Probe/kinds.rows")) {
    const QStringList fields = test::textsOf(row.fields);
    if (fields[0] != mode) continue;
    ++rows;
    SCOPED_TRACE((row.where + ": " + fields.join(" | ")).toStdString());
    const QStringList words = test::driveWordsOf(fields[1]);
    test::CounterfeitDrive drive(words[0], words[1].toLongLong(), words[2].toLongLong(),
                                 words.mid(3));
    ASSERT_FALSE(drive.device().isEmpty()) << drive.failure().toStdString();
    check(fields, words, drive.device().mid(5));
  }
  EXPECT_GT(rows, 3);
}

// The loop rows (the unit test runs the others in memory): the verdict exact
// to the byte, its figures and the helper's status agree; a drive that dies
// part way is no counterfeit, one that stops storing or takes no more writes
// is no genuine one, and a cache does not hide a counterfeit.
TEST_F(CapacityProbeLoopTest, FindsTheRealSizeOfEveryKindOfFakeDrive) {
  const std::map<QString, int> statuses{{"genuine", C::success},
                                        {"counterfeit", C::counterfeit},
                                        {"failed", C::driveFailed},
                                        {"stopped", C::driveStopped}};
  checkEachRow(
      "loop", [&](const QStringList& fields, const QStringList& words, const QString& name) {
        const QStringList where = fields[3].split(' ');
        const bool full = where.contains("full");
        const quint64 claimed = words[1].toULongLong();
        const Told told =
            runHelper(QStringList{"probe", name} + (full ? QStringList{"full"} : QStringList()));
        EXPECT_EQ(told.status, statuses.at(fields[2])) << told.lines.join('\n').toStdString();
        EXPECT_GT(told.progressEvents, 0);
        if (fields[2] == "stopped") {
          ASSERT_TRUE(told.failure);
          EXPECT_EQ(told.failure->kind, "driveStopped");
          EXPECT_TRUE(told.failure->written);
          EXPECT_FALSE(told.result);
          EXPECT_TRUE(told.lines.last().startsWith("Failed: the drive stopped responding after "))
              << told.lines.last().toStdString();
          return;
        }
        ASSERT_TRUE(told.result);
        const ProbeResult& result = *told.result;
        std::printf("%s: %s\n", qPrintable(fields[1]), result.verdictLine().c_str());
        // No line of the verdict from the helper: the caller says it.
        EXPECT_FALSE(told.lines.join('\n').contains(QString::fromStdString(result.verdictLine())));
        EXPECT_EQ(result.mode, full ? ProbeResult::Mode::full : ProbeResult::Mode::quick);
        EXPECT_EQ(result.claimedBytes, claimed);
        EXPECT_GT(result.bytesWritten, 0u);
        // A drive that takes no writes any more keeps its old partition table, and says so.
        EXPECT_EQ(result.tableCleared, !words.contains("--readonly-after"));
        if (fields[2] == "failed") {
          EXPECT_EQ(result.verdict, ProbeResult::Verdict::failed);
          EXPECT_NEAR(double(result.failedAfterBytes.value_or(0)),
                      double(test::bytesOf(where.value(1))), double(4 * kMiB));
          return;
        }
        EXPECT_EQ(result.genuine(), fields[2] == "genuine");
        EXPECT_EQ(result.usableBytes,
                  result.genuine() ? claimed : test::bytesOf(where[0]) / 4096 * 4096);
        EXPECT_GT(result.writeBytesPerSecond, 0u);
        // A cache is found where what it hides shows once it is full.
        if (const qsizetype cache = words.indexOf("--cache"); cache > 0 && words[0] == "drop") {
          const double bytes = words[cache + 1].toDouble();
          EXPECT_NEAR(double(result.cacheBytes), bytes, 0.1 * bytes);
        }
      });
}

// The format rows: what the helper formats on a fake drive is read back from
// the drive, and a drive that loses or garbles what it was given fails.
TEST_F(CapacityProbeLoopTest, AFormatIsDoneOnlyWhereTheDriveKeepsIt) {
  checkEachRow("format", [](const QStringList& fields, const QStringList&, const QString& name) {
    const Told told = runHelper({"format", name, "KEPT", "default"});
    const std::string shown = told.lines.join('\n').toStdString();
    if (fields[2] == "formatted") {
      EXPECT_EQ(told.status, C::success) << shown;
      EXPECT_FALSE(told.failure) << shown;
      return;
    }
    EXPECT_NE(told.status, C::success) << shown;
    ASSERT_TRUE(told.failure) << shown;
    EXPECT_TRUE(told.failure->written) << shown;
  });
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
