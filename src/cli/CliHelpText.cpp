// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliHelpText.h"

#include "cli/CliArgumentParser.h"
#include "cli/CliExitStatus.h"

namespace tessaro {

namespace {

QString column(const QString& left, const QString& right) {
  if (left.size() > 24)
    return QStringLiteral("  %1\n  %2 %3\n").arg(left, QString(24, u' '), right);
  return QStringLiteral("  ") + left.leftJustified(24) + QLatin1Char(' ') + right +
         QLatin1Char('\n');
}

}  // namespace

QString CliHelpText::text() {
  QString text = QStringLiteral(
      "Usage: tessaro-cli COMMAND [DEVICE] [OPTIONS]\n"
      "Prepares external and removable drives for FAT32.\n\nCommands:\n");
  for (const CliCommandShape& shape : CliArgumentParser::commands())
    text += column(shape.synopsis, shape.summary);
  text += QStringLiteral(
      "\nDEVICE is a drive that `tessaro-cli list` shows, as sdb or /dev/sdb, or a loop\n"
      "device named explicitly (an image attached with losetup).\n\nOptions:\n");
  text += column(QStringLiteral("--json"), QStringLiteral("print JSON instead of lines"));
  text += column(QStringLiteral("--name NAME"),
                 QStringLiteral("volume name, upper-cased; UNTITLED when blank"));
  text += column(QStringLiteral("--cluster SIZE"),
                 QStringLiteral("cluster size: default, 512, 1024, ... 65536 bytes"));
  text += column(QStringLiteral("-y, --yes"),
                 QStringLiteral("erase without asking; needed without a terminal"));
  text += column(QStringLiteral("-h, --help"), QStringLiteral("this text"));
  text += column(QStringLiteral("--version"), QStringLiteral("the version"));
  text += QStringLiteral("\nExit status:\n");
  const QList<std::pair<int, QString>> statuses{
      {cliSuccess, QStringLiteral("success")},
      {cliToolFailed, QStringLiteral("a tool failed or could not be started")},
      {cliUsage, QStringLiteral("the command line cannot be read")},
      {cliRefused, QStringLiteral("refused: bad name, cluster size or device, or not confirmed; "
                                  "nothing written")},
      {cliAuthorizationFailed, QStringLiteral("administrator rights were not granted")},
      {cliVerificationFailed, QStringLiteral("the drive does not hold what the format asked for")},
      {cliCancelled, QStringLiteral("cancelled (Ctrl+C)")},
  };
  for (const auto& [status, meaning] : statuses)
    text += QStringLiteral("  %1  %2\n").arg(status, 3).arg(meaning);
  text += QStringLiteral("\nSee tessaro-cli(1) for more.\n");
  return text;
}

QString CliHelpText::version() {
  return QStringLiteral("tessaro-cli ") + QStringLiteral(TESSARO_VERSION) + QLatin1Char('\n');
}

}  // namespace tessaro
