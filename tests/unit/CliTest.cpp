// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// tessaro-cli: its command line, the devices it takes, what it asks before
// it erases, the text a pipe gets and the statuses it exits with.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "DataRows.h"
#include "cli/CliArgumentParser.h"
#include "cli/CliFailureStatus.h"
#include "cli/CliHelpText.h"
#include "cli/DeviceArgument.h"
#include "cli/PlainText.h"
#include "cli/TerminalConfirmation.h"
#include "contract/HelperContract.h"

using namespace tessaro;

namespace {

// A request as the rows write it: the command, then each field that differs
// from its default.
QStringList described(const CliRequest& request) {
  static const char* const names[] = {"help",  "version", "list", "info",
                                      "check", "format",  "probe"};
  QStringList words{names[int(request.command)]};
  for (const QString& device : request.devices) words << "device=" + device;
  if (!request.label.isEmpty()) words << "label=" + request.label;
  if (request.cluster != ClusterOption::Default)
    words << "cluster=" + QString::number(request.cluster.bytes().value_or(0));
  if (request.json) words << "json";
  if (request.assumeYes) words << "yes";
  if (request.noHeadings) words << "noheadings";
  if (request.readOnly) words << "readonly";
  return words;
}

TEST(CliArgumentParser, ReadsEveryCommandWithItsOptionsAnywhereAndSaysWhyNot) {
  const CliParseResult none = CliArgumentParser::parse({});
  EXPECT_EQ(none.status, cliUsage);
  EXPECT_TRUE(none.error.startsWith("no command given"));
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/CliArgumentParser/commands.rows");
  ASSERT_GT(rows.size(), 40);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_EQ(row.fields.size(), 2);
    const QStringList arguments = test::textsOf(row.fields[0].split(' '));
    const CliParseResult result = CliArgumentParser::parse(arguments);
    const QStringList expected = test::textsOf(row.fields[1].split(' '));
    if (expected.first() == "usage") {
      EXPECT_FALSE(result.request);
      EXPECT_EQ(result.status, cliUsage);
      EXPECT_TRUE(result.error.startsWith(expected.mid(1).join(' '))) << result.error.toStdString();
      continue;
    }
    ASSERT_TRUE(result.request) << result.error.toStdString();
    EXPECT_EQ(described(*result.request), expected);
  }
}

TEST(CliArgumentParser, ReadsSizesWithUnitsAndRefusesAnythingElse) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/CliArgumentParser/sizes.txt", "\t");
  ASSERT_GT(rows.size(), 50);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_EQ(row.fields.size(), 3);
    const QString option = QString::fromUtf8(row.fields[0]);
    const QString value = QString::fromUtf8(test::unescaped(row.fields[1]));
    const QString expected = QString::fromUtf8(row.fields[2]);
    const CliParseResult result = CliArgumentParser::parse({"format", "sdb", option, value});
    if (expected == "refused") {
      EXPECT_FALSE(result.request);
      EXPECT_EQ(result.status, cliUsage);
      EXPECT_TRUE(result.error.startsWith("'" + value + "' is not a"))
          << result.error.toStdString();
      continue;
    }
    ASSERT_TRUE(result.request) << result.error.toStdString();
    if (option == "--size") {
      EXPECT_EQ(result.request->partitionBytes, expected.toLongLong());
    } else {
      const std::optional<int> bytes = result.request->cluster.bytes();
      EXPECT_EQ(bytes ? QString::number(*bytes) : "default", expected);
    }
  }
}

// Every line of --help fits in 80 columns.
TEST(CliHelpText, FitsEightyColumns) {
  for (const QString& line : CliHelpText::text().split('\n'))
    EXPECT_LT(line.size(), 80) << line.toStdString();
}

TEST(DeviceArgument, LoopDevicesWithAnImageBecomeDrives) {
  // Which names are loop devices: DeviceNames/typed-names.rows (with the
  // confirmations). The sizes the kernel tells of loop3 to loop6 and sdz.
  const QString sysfs = TESSARO_FIXTURES_DIR "/DeviceNames/sysfs";
  const auto drive = DeviceArgument::attachedLoopDrive("loop3", sysfs);
  ASSERT_TRUE(drive);
  EXPECT_EQ(drive->bsdName, "loop3");
  EXPECT_EQ(drive->devicePath, "/dev/loop3");
  EXPECT_EQ(drive->size, 734003200);
  EXPECT_EQ(drive->description, "734 MB (loop3)");
  for (const char* refused : {"loop4", "loop5", "loop6", "loop9", "sdz"})
    EXPECT_FALSE(DeviceArgument::attachedLoopDrive(refused, sysfs)) << refused;
}

// What a pipe or a file gets (PlainText/lines.rows).
TEST(PlainText, DropsEmojiAndSymbolsKeepsWords) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/PlainText/lines.rows");
  ASSERT_GT(rows.size(), 5);
  for (const test::DataRow& row : rows) {
    const QStringList texts = test::textsOf(row.fields);
    EXPECT_EQ(PlainText::of(texts.value(0)), texts.value(1)) << row.where.toStdString();
  }
}

TEST(TerminalConfirmation, OnlyTheDrivesNameConfirmsWhatThePromptNames) {
  const Drive drive{QUuid::createUuid(), "sdb", "/dev/sdb", "32 GB Ultra (sdb)", "Ultra", false,
                    32'000'000'000};
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/DeviceNames/typed-names.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    const QString typed = QString::fromUtf8(test::unescaped(row.fields[0]));
    EXPECT_EQ(TerminalConfirmation::confirms(typed, drive), row.fields[1] == "confirms")
        << row.where.toStdString();
    EXPECT_EQ(DeviceArgument::isLoopDevice(typed), row.fields[2] == "loop")
        << row.where.toStdString();
  }
  // What the window's question says, in the same words: the drive once, the
  // name as written, the cluster size the default stands for, the partition.
  const QString format = TerminalConfirmation::formatPrompt({drive, "MY USB", {}, {}});
  EXPECT_EQ(
      format.split('\n'),
      QStringList({"Erase 32 GB Ultra (/dev/sdb)?",
                   "All data on this drive will be erased. This cannot be undone.",
                   "  Volume name: MY USB", "  Cluster size: 16 KiB, the default for this drive",
                   "  Partition: one FAT32 partition over the whole drive",
                   "Type sdb to erase it: "}));
  const QString probe = TerminalConfirmation::probePrompt(drive);
  EXPECT_TRUE(
      probe.startsWith("Test the capacity of 32 GB Ultra (/dev/sdb)?\nThe capacity test "
                       "writes test data across the whole drive, erasing all data on it."))
      << probe.toStdString();
  EXPECT_TRUE(probe.endsWith("\nType sdb to erase it and test its capacity: "));

  // Standard input that is not a terminal is never read.
  FILE* notATerminal = tmpfile();
  std::fputs("sdb\n", notATerminal);
  std::rewind(notATerminal);
  EXPECT_EQ(TerminalConfirmation::ask(format, drive, notATerminal, stderr),
            ConfirmationAnswer::NoTerminal);
  std::fclose(notATerminal);
}

// From the helper's exit status (its failure event's kind names it) to
// tessaro-cli's, as the statuses.rows table and the manual say.
TEST(CliFailureStatus, TellsRefusalsAuthorizationToolsVerificationAndCancelApart) {
  QFile manual(TESSARO_FIXTURES_DIR "/../../packaging/tessaro-cli.1");
  ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
  const QString page = QString::fromUtf8(manual.readAll());
  const QString listed = page.section(".SH EXIT STATUS", 1).section("\n.SH ", 0, 0);
  const auto documented = [&](int status) {
    return status >= cliSignalled ||
           listed.contains(QRegularExpression(QStringLiteral("^\\.B %1$").arg(status),
                                              QRegularExpression::MultilineOption));
  };
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/CliFailureStatus/statuses.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_EQ(row.fields.size(), row.fields[0] == "helper" ? 4 : 3);
    const int status = row.fields[row.fields.size() - (row.fields[0] == "helper" ? 2 : 1)].toInt();
    if (row.fields[0] == "batch") {
      QList<int> statuses;
      for (const QByteArray& word : test::wordsOf(row.fields[1])) statuses << word.toInt();
      EXPECT_EQ(CliFailureStatus::ofBatch(statuses), status);
    } else if (row.fields[0] == "exit") {
      EXPECT_EQ(CliFailureStatus::kind(row.fields[1].toInt()), row.fields[2]);
    } else {
      const int helperStatus = row.fields[1].toInt();
      const JobFailure failure{
          JobFailure::ofHelperKind(HelperContract::failureKind(helperStatus)), false, "x", {}};
      EXPECT_EQ(CliFailureStatus::of(failure, false), status);
      EXPECT_EQ(CliFailureStatus::kind(failure, false), row.fields[3]);
      EXPECT_EQ(CliFailureStatus::kind(status),
                row.fields[3] == "no-such-device" ? "refused" : row.fields[3]);
    }
    EXPECT_TRUE(documented(status)) << status << " is not in the manual";
  }
  using Kind = JobFailure::Kind;
  EXPECT_EQ(CliFailureStatus::of({Kind::authorization, false, "x", 126}, false),
            cliAuthorizationFailed);
  // Once Ctrl+C was pressed, whatever ended the job counts as cancelled.
  for (const Kind kind : {Kind::toolFailed, Kind::authorization, Kind::refused})
    EXPECT_EQ(CliFailureStatus::of({kind, true, "x", {}}, true), cliCancelled);
  // A check's errors left are fsck's 4.
  EXPECT_EQ(CliFailureStatus::of({Kind::errorsLeft, true, "x", 4}, false), cliErrorsLeft);
}

}  // namespace
