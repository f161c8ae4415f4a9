// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>

#include "cli/CliArgumentParser.h"
#include "cli/CliHelpText.h"

using namespace tessaro;

namespace {

struct Accepted {
  QStringList arguments;
  CliCommand command;
  QString device;
  bool json = false;
  QString label;
  ClusterOption cluster = ClusterOption::Default;
  bool yes = false;
};

struct Refused {
  QStringList arguments;
  CliExitStatus status;
  QString error;
};

}  // namespace

TEST(CliArgumentParser, ReadsEveryCommandWithItsOptionsAnywhere) {
  using enum CliCommand;
  const auto C8192 = ClusterOption::C8192, C65536 = ClusterOption::C65536;
  // clang-format off
  const QList<Accepted> rows{
      {{"list"}, List},
      {{"list", "--json"}, List, {}, true},
      {{"--json", "list"}, List, {}, true},
      {{"info", "sdb"}, Info, "sdb"},
      {{"info", "/dev/sdb", "--json"}, Info, "/dev/sdb", true},
      {{"check", "mmcblk0"}, Check, "mmcblk0"},
      {{"format", "sdb"}, Format, "sdb"},
      {{"format", "loop7", "--name", "MY USB", "--cluster", "8192", "--yes"}, Format, "loop7",
       false, "MY USB", C8192, true},
      {{"format", "--name=My Card", "--cluster=default", "-y", "sdc"}, Format, "sdc", false,
       "My Card", ClusterOption::Default, true},
      {{"format", "sdb", "--cluster", "Default"}, Format, "sdb"},
      {{"format", "sdb", "--cluster", "65536"}, Format, "sdb", false, {}, C65536},
      // A value is taken as it stands, also when it looks like an option.
      {{"format", "sdb", "--name", "--yes"}, Format, "sdb", false, "--yes"},
      {{"format", "sdb", "--name="}, Format, "sdb"},
      {{"format", "--", "-sdb"}, Format, "-sdb"},
      {{"help"}, Help},
      // Help and version win over anything else on the line.
      {{"format", "sdb", "--bogus", "--help"}, Help},
      {{"-h"}, Help},
      {{"list", "--version"}, Version},
      {{"format", "sdb", "--name", "--help"}, Format, "sdb", false, "--help"},
      {{"format", "--", "--help"}, Format, "--help"},
  };
  // clang-format on
  for (const Accepted& row : rows) {
    const CliParseResult result = CliArgumentParser::parse(row.arguments);
    const std::string where = row.arguments.join(' ').toStdString();
    ASSERT_TRUE(result.request) << where << ": " << result.error.toStdString();
    EXPECT_EQ(result.request->command, row.command) << where;
    EXPECT_EQ(result.request->device, row.device) << where;
    EXPECT_EQ(result.request->json, row.json) << where;
    EXPECT_EQ(result.request->label, row.label) << where;
    EXPECT_EQ(result.request->cluster, row.cluster) << where;
    EXPECT_EQ(result.request->assumeYes, row.yes) << where;
  }
}

TEST(CliArgumentParser, RefusesWhatItCannotReadAndSaysWhy) {
  const QList<Refused> rows{
      {{}, cliUsage, "no command given"},
      {{"erase", "sdb"}, cliUsage, "unknown command 'erase'"},
      {{"LIST"}, cliUsage, "unknown command 'LIST'"},
      {{"info"}, cliUsage, "info needs a DEVICE, such as sdb"},
      {{"format", "--yes"}, cliUsage, "format needs a DEVICE, such as sdb"},
      {{"info", "sdb", "sdc"}, cliUsage, "unexpected argument 'sdc'"},
      {{"list", "sdb"}, cliUsage, "unexpected argument 'sdb'"},
      {{"list", "--yes"}, cliUsage, "list does not take --yes"},
      {{"format", "sdb", "--json"}, cliUsage, "format does not take --json"},
      {{"check", "sdb", "--name", "X"}, cliUsage, "check does not take --name"},
      {{"format", "sdb", "--name"}, cliUsage, "--name needs a value"},
      {{"format", "sdb", "--cluster"}, cliUsage, "--cluster needs a value"},
      {{"format", "sdb", "--yes=no"}, cliUsage, "--yes takes no value"},
      {{"format", "sdb", "--name", "A", "--name", "B"}, cliUsage, "--name is given more than once"},
      {{"format", "sdb", "--force"}, cliUsage, "unknown option '--force'"},
      {{"format", "sdb", "-f"}, cliUsage, "unknown option '-f'"},
      {{"format", "sdb", "--=x"}, cliUsage, "unknown option '--=x'"},
      {{"format", "sdb", "--cluster", "1000"}, cliRefused, "'1000' is not a cluster size"},
      {{"format", "sdb", "--cluster", " 512"}, cliRefused, "' 512' is not a cluster size"},
      {{"format", "sdb", "--cluster", "131072"}, cliRefused, "'131072' is not a cluster size"},
      {{"format", "sdb", "--cluster="}, cliRefused, "'' is not a cluster size"},
      {{"probe", "sdb", "--name", "X"}, cliUsage, "probe does not take --name"},
  };
  for (const Refused& row : rows) {
    const CliParseResult result = CliArgumentParser::parse(row.arguments);
    const std::string where = row.arguments.join(' ').toStdString();
    EXPECT_FALSE(result.request) << where;
    EXPECT_EQ(result.status, row.status) << where;
    EXPECT_TRUE(result.error.startsWith(row.error)) << where << ": " << result.error.toStdString();
  }
}

// A value of the table in C escapes, as the user typed it.
QString unescaped(const QString& field) {
  QString value;
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field.at(i) != '\\' || i + 1 >= field.size()) {
      value += field.at(i);
      continue;
    }
    const QChar kind = field.at(++i);
    if (kind == 'n') value += '\n';
    if (kind == 't') value += '\t';
    if (kind == 'x' || kind == 'u') {
      const int digits = kind == 'x' ? 2 : 4;
      value += QChar(field.mid(i + 1, digits).toUShort(nullptr, 16));
      i += digits;
    }
  }
  return value;
}

TEST(CliArgumentParser, ReadsSizesWithUnitsAndRefusesAnythingElse) {
  QFile table(TESSARO_FIXTURES_DIR "/CliArgumentParser/sizes.txt");
  ASSERT_TRUE(table.open(QIODevice::ReadOnly | QIODevice::Text));
  int rows = 0;
  for (const QString& line : QString::fromUtf8(table.readAll()).split('\n')) {
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QStringList fields = line.split('\t');
    ASSERT_EQ(fields.size(), 3) << line.toStdString();
    const QString& option = fields.at(0);
    const QString value = unescaped(fields.at(1));
    const QString& expected = fields.at(2);
    const CliParseResult result = CliArgumentParser::parse({"format", "sdb", option, value});
    SCOPED_TRACE(line.toStdString());
    ++rows;
    if (expected == "refused") {
      EXPECT_FALSE(result.request);
      EXPECT_EQ(result.status, cliRefused);
      EXPECT_TRUE(result.error.startsWith("'" + value + "' is not a")) << result.error.toStdString();
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
  EXPECT_GT(rows, 50);
}

// Every line of --help fits in 80 columns.
TEST(CliHelpText, FitsEightyColumns) {
  for (const QString& line : CliHelpText::text().split('\n'))
    EXPECT_LT(line.size(), 80) << line.toStdString();
}

TEST(CliHelpText, NamesEveryCommandAndExitStatus) {
  const QString help = CliHelpText::text();
  for (const CliCommandShape& shape : CliArgumentParser::commands())
    EXPECT_TRUE(help.contains("\n  " + shape.synopsis)) << shape.name.toStdString();
  for (int status : {cliSuccess, cliToolFailed, cliUsage, cliRefused, cliAuthorizationFailed,
                     cliVerificationFailed, cliCounterfeit, cliWriteError, cliCancelled}) {
    EXPECT_TRUE(help.contains(QStringLiteral("\n  %1  ").arg(status, 3))) << status;
  }
}
