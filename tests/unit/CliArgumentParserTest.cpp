// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "DataRows.h"
#include "cli/CliArgumentParser.h"
#include "cli/CliHelpText.h"

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

}  // namespace

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
