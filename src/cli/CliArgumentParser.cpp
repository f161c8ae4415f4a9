// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliArgumentParser.h"

#include <QCoreApplication>
#include <QMap>

#include "drives/ByteCount.h"

namespace tessaro {

namespace {

struct ParserText {
  Q_DECLARE_TR_FUNCTIONS(CliArgumentParser)
};

const QString kJson = QStringLiteral("--json");
const QString kName = QStringLiteral("--name");
const QString kCluster = QStringLiteral("--cluster");
const QString kYes = QStringLiteral("--yes");
const QString kSize = QStringLiteral("--size");
const QString kAll = QStringLiteral("--all");
const QString kNoHeadings = QStringLiteral("--noheadings");
const QString kReadOnly = QStringLiteral("--read-only");
// -n: --noheadings for list, as lsblk has it; --read-only for check, as fsck has it.
const QString kShortN = QStringLiteral("-n");
const QString kFull = QStringLiteral("--full");

bool takesValue(const QString& option) {
  return option == kName || option == kCluster || option == kSize;
}

bool isKnownOption(const QString& option) {
  return option == kJson || option == kName || option == kCluster || option == kSize ||
         option == kYes || option == kAll || option == kNoHeadings || option == kReadOnly ||
         option == kShortN || option == kFull;
}

CliParseResult usageError(const QString& text) { return {std::nullopt, cliUsage, text}; }

const CliCommandShape* findCommand(const QString& word) {
  for (const CliCommandShape& shape : CliArgumentParser::commands())
    if (shape.name == word) return &shape;
  return nullptr;
}

std::optional<ClusterOption> clusterFromArgument(const QString& value) {
  if (value.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0)
    return ClusterOption(ClusterOption::Default);
  const std::optional<std::int64_t> bytes = parseByteCount(value.toStdString());
  if (!bytes) return std::nullopt;
  return ClusterOption::fromRawValue(std::to_string(*bytes));
}

}  // namespace

const QList<CliCommandShape>& CliArgumentParser::commands() {
  static const QList<CliCommandShape> shapes{
      {QStringLiteral("list"),
       CliCommand::List,
       false,
       false,
       {kJson, kAll, kNoHeadings},
       QStringLiteral("list [--all] [-n] [--json]"),
       QString::fromUtf8(QT_TRANSLATE_NOOP("CliArgumentParser",
                                           "the drives Tessaro may work on, as a table; --all: "
                                           "every device, with why it is not offered"))},
      {QStringLiteral("info"),
       CliCommand::Info,
       true,
       false,
       {kJson},
       QStringLiteral("info DEVICE [--json]"),
       QString::fromUtf8(QT_TRANSLATE_NOOP("CliArgumentParser",
                                           "the report of a drive and its first partition"))},
      {QStringLiteral("check"),
       CliCommand::Check,
       true,
       true,
       {kReadOnly},
       QStringLiteral("check DEVICE... [--read-only]"),
       QString::fromUtf8(QT_TRANSLATE_NOOP("CliArgumentParser",
                                           "check and repair the FAT file system on a drive; "
                                           "-n, --read-only: only check it, change nothing"))},
      {QStringLiteral("format"),
       CliCommand::Format,
       true,
       true,
       {kName, kCluster, kSize, kYes},
       QStringLiteral("format DEVICE... [--name NAME] [--cluster SIZE] [--size SIZE] [--yes]"),
       QString::fromUtf8(QT_TRANSLATE_NOOP(
           "CliArgumentParser", "erase a drive: MBR partition table, one FAT32 partition"))},
      {QStringLiteral("probe"),
       CliCommand::Probe,
       true,
       true,
       {kJson, kYes, kFull},
       QStringLiteral("probe DEVICE... [--full] [--json] [--yes]"),
       QString::fromUtf8(QT_TRANSLATE_NOOP(
           "CliArgumentParser", "erase a drive to test how much of it really holds data"))},
      {QStringLiteral("help"),
       CliCommand::Help,
       false,
       false,
       {},
       QStringLiteral("help"),
       QString::fromUtf8(QT_TRANSLATE_NOOP("CliArgumentParser", "this text"))},
  };
  return shapes;
}

bool CliArgumentParser::asksForJson(const QStringList& arguments) {
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (argument == QLatin1String("--")) break;
    if (takesValue(argument)) ++i;
    if (argument == kJson) return true;
  }
  return false;
}

CliParseResult CliArgumentParser::parse(const QStringList& arguments) {
  // Asking for help is never an error, whatever else the line holds.
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (argument == QLatin1String("--")) break;
    if (takesValue(argument)) ++i;
    if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
      return {CliRequest{CliCommand::Help}, cliSuccess, {}};
    if (argument == QLatin1String("-V") || argument == QLatin1String("--version"))
      return {CliRequest{CliCommand::Version}, cliSuccess, {}};
  }

  QStringList words;
  QMap<QString, QString> options;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
      words << argument;
      continue;
    }
    if (argument == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    QString option = argument;
    std::optional<QString> value;
    if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
      option = argument.left(equals);
      value = argument.mid(equals + 1);
    }
    if (option == QLatin1String("-y")) option = kYes;
    if (!isKnownOption(option))
      return usageError(ParserText::tr("unknown option '%1'").arg(argument));
    if (takesValue(option) && !value) {
      if (i + 1 >= arguments.size())
        return usageError(ParserText::tr("%1 needs a value").arg(option));
      value = arguments.at(++i);
    }
    if (!takesValue(option) && value)
      return usageError(ParserText::tr("%1 takes no value").arg(option));
    if (options.contains(option))
      return usageError(ParserText::tr("%1 is given more than once").arg(option));
    options.insert(option, value.value_or(QString()));
  }

  if (words.isEmpty()) return usageError(ParserText::tr("no command given"));
  const CliCommandShape* shape = findCommand(words.first());
  if (!shape) return usageError(ParserText::tr("unknown command '%1'").arg(words.first()));
  // -n is the short form of the one of --noheadings and --read-only the command takes.
  if (options.contains(kShortN)) {
    const QString* meant = shape->options.contains(kNoHeadings) ? &kNoHeadings
                           : shape->options.contains(kReadOnly) ? &kReadOnly
                                                                : nullptr;
    if (!meant) return usageError(ParserText::tr("%1 does not take %2").arg(shape->name, kShortN));
    if (options.contains(*meant))
      return usageError(ParserText::tr("%1 is given more than once").arg(*meant));
    options.insert(*meant, options.take(kShortN));
  }
  for (auto it = options.cbegin(); it != options.cend(); ++it) {
    if (!shape->options.contains(it.key()))
      return usageError(ParserText::tr("%1 does not take %2").arg(shape->name, it.key()));
  }
  const qsizetype wanted = shape->takesDevice ? 2 : 1;
  if (words.size() < wanted)
    return usageError(ParserText::tr("%1 needs a DEVICE, such as sdb").arg(shape->name));
  if (words.size() > wanted && !shape->takesSeveral)
    return usageError(ParserText::tr("unexpected argument '%1'").arg(words.at(wanted)));

  CliRequest request;
  request.command = shape->command;
  if (shape->takesDevice) request.devices = words.mid(1);
  request.json = options.contains(kJson);
  request.all = options.contains(kAll);
  request.noHeadings = options.contains(kNoHeadings);
  request.readOnly = options.contains(kReadOnly);
  request.assumeYes = options.contains(kYes);
  request.full = options.contains(kFull);
  request.label = options.value(kName);
  if (options.contains(kCluster)) {
    const auto cluster = clusterFromArgument(options.value(kCluster));
    if (!cluster) {
      return usageError(
          ParserText::tr("'%1' is not a cluster size: use default, 512, 1K, 2K, 4K, 8K, "
                         "16K, 32K or 64K")
              .arg(options.value(kCluster)));
    }
    request.cluster = *cluster;
  }
  if (options.contains(kSize)) {
    const std::optional<std::int64_t> bytes = parseByteCount(options.value(kSize).toStdString());
    if (!bytes) {
      return usageError(
          ParserText::tr("'%1' is not a partition size: give bytes, or a number with K, M, "
                         "G or T (powers of 1024) or KB, MB, GB or TB (powers of 1000), "
                         "such as 8G")
              .arg(options.value(kSize)));
    }
    request.partitionBytes = *bytes;
  }
  return {request, cliSuccess, {}};
}

}  // namespace tessaro
