// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What crosses the root boundary: the JSON the helper's events are written
// in and the events themselves, hostile and broken lines among them, as data.

#include <gtest/gtest.h>

#include "DataRows.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "contract/Json.h"

using namespace tessaro::contract;
namespace test = tessaro::test;
namespace HelperContract = tessaro::HelperContract;

namespace {

std::string textOf(const QByteArray& field) { return test::unescaped(field).toStdString(); }

}  // namespace

TEST(ContractTest, JsonIsReadStrictlyAndWrittenSoThatItCanBeRead) {
  const QList<test::DataRow> rows =
      test::readDataRows(QStringLiteral(TESSARO_FIXTURES_DIR "/Contract/json.rows"));
  ASSERT_GT(rows.size(), 40);
  for (const test::DataRow& row : rows) {
    ASSERT_EQ(row.fields.size(), 3) << row.where.toStdString();
    SCOPED_TRACE(row.where.toStdString() + ": " + row.fields[2].toStdString());
    const QByteArray input = test::unescaped(row.fields[1]);
    const std::string text(input.constData(), size_t(input.size()));
    if (row.fields[0] == "write") {
      const std::string written = Json(text).compact();
      EXPECT_EQ(written, test::unescaped(row.fields[2]).toStdString());
      EXPECT_TRUE(Json::parse(written).has_value());
      continue;
    }
    const std::optional<Json> read = Json::parse(text);
    if (row.fields[0] == "refuse") {
      EXPECT_FALSE(read.has_value()) << read->compact();
      continue;
    }
    ASSERT_EQ(row.fields[0], "read");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->compact(), test::unescaped(row.fields[2]).toStdString());
    // What is written reads back as the same value.
    EXPECT_EQ(Json::parse(read->compact()), read);
  }
}

TEST(ContractTest, EventLinesAreReadByOneStrictParserAndWrittenAsTheHelperAlwaysHas) {
  const QList<test::DataRow> rows =
      test::readDataRows(QStringLiteral(TESSARO_FIXTURES_DIR "/Contract/events.rows"));
  ASSERT_GT(rows.size(), 60);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_GE(row.fields.size(), 2);
    const std::string line = textOf(row.fields[1]);
    const std::optional<HelperEvent> event = HelperEvent::fromLine(line);
    if (row.fields[0] == "refuse") {
      EXPECT_FALSE(event.has_value()) << event->line();
      continue;
    }
    ASSERT_TRUE(event.has_value()) << line;
    const std::string written = event->line();
    EXPECT_EQ(written, row.fields[0] == "same" ? line : textOf(row.fields.value(2)));
    EXPECT_EQ(HelperEvent::fromLine(written), event);
  }
}

// Every wire type, each field set apart from its default, comes back as it went.
TEST(ContractTest, EveryEventComesBackAsItWasWritten) {
  FormatVerdict verdict{true,     "dos", "c",     2048,    30717952, "FAT32",
                        "MY USB", 4096,  3836000, 4194304, true};
  DriveFacts facts;
  facts.disk = {"/dev/sdb", "Ultra \"Fit\"", "usb", true, true, false, "sda", 4096, 1LL << 44};
  facts.partition = PartitionFacts{"/dev/sdb1", "MY USB", "vfat", "/media/u/MY USB", 32768};
  ProbeResult damaged;
  damaged.verdict = ProbeResult::Verdict::damaged;
  damaged.mode = ProbeResult::Mode::full;
  damaged.claimedBytes = 1LL << 40;
  damaged.usableBytes = 1 << 20;
  damaged.badRegions = {{1 << 20, 2 << 20}, {1LL << 39, (1LL << 39) + 4096}};
  damaged.badRegionsLeftOut = 3;
  damaged.samples = 9, damaged.intact = 4, damaged.aliased = 3, damaged.lost = 2;
  damaged.readErrors = {2, 8192, 1 << 20};
  damaged.retriedWrites = 5, damaged.retriedReads = 6, damaged.milliseconds = 1234567;
  damaged.bytesWritten = 7, damaged.bytesRead = 8, damaged.cacheBytes = 9;
  damaged.cacheRuledOutBytes.reset();
  damaged.writeBytesPerSecond = 10, damaged.readBytesPerSecond = 11;
  damaged.speedPartial = true, damaged.tableCleared = false;
  ProbeResult failed;
  failed.verdict = ProbeResult::Verdict::failed;
  failed.failure = ProbeResult::Failure::stoppedStoring;
  failed.claimedBytes = 1 << 30, failed.bytesWritten = 1 << 29, failed.failedAfterBytes = 1 << 28;
  const HelperEvent events[] = {
      {StepEvent{{"/usr/sbin/mkfs.fat", "-n", "\xc3\x9c\tX", "/dev/sdb1"}}, "sdb"},
      {WritingEvent{}, "mmcblk0"},
      {ProgressEvent{0.125, (1LL << 53) + 1, 3599, 21000000}, "sdc"},
      {ProgressEvent{1.0, 0, std::nullopt}},
      {FailureEvent{"toolFailed", true, "/usr/sbin/sfdisk", 1, "Failed: \u00abbusy\u00bb"}, "sdb"},
      {FailureEvent::of(HelperContract::cancelled, true, "Cancelled: the drive is half erased.")},
      {verdict, "loop7"},
      {facts},
      {damaged, "sdd"},
      {failed},
  };
  for (const HelperEvent& event : events) {
    SCOPED_TRACE(event.line());
    EXPECT_EQ(HelperEvent::fromLine(event.line()), event);
    EXPECT_EQ(event.line().find('\n'), std::string::npos);
  }
  EXPECT_EQ(events[5].get<FailureEvent>()->kind, "cancelled");
}
