// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliHelpText.h"

#include <QCoreApplication>

#include "cli/CliArgumentParser.h"
#include "cli/CliExitStatus.h"

namespace tessaro {

namespace {

struct HelpText {
  Q_DECLARE_TR_FUNCTIONS(CliHelpText)
};

QString column(const QString& left, const QString& right) {
  if (left.size() > 24)
    return QStringLiteral("  %1\n  %2 %3\n").arg(left, QString(24, u' '), right);
  return QStringLiteral("  ") + left.leftJustified(24) + QLatin1Char(' ') + right +
         QLatin1Char('\n');
}

}  // namespace

QString CliHelpText::text() {
  QString text = HelpText::tr(
      "Usage: tessaro-cli COMMAND [DEVICE] [OPTIONS]\n"
      "Prepares external and removable drives for FAT32.\n\nCommands:\n");
  for (const CliCommandShape& shape : CliArgumentParser::commands())
    text += column(shape.synopsis, QCoreApplication::translate("CliArgumentParser",
                                                               shape.summary.toUtf8().constData()));
  text += HelpText::tr(
      "\nDEVICE is a drive that `tessaro-cli list` shows, as sdb or /dev/sdb, or a loop\n"
      "device named explicitly (an image attached with losetup).\n\nOptions:\n");
  text += column(QStringLiteral("--json"), HelpText::tr("print JSON instead of lines"));
  text += column(QStringLiteral("--name NAME"),
                 HelpText::tr("volume name, upper-cased; UNTITLED when blank"));
  text += column(QStringLiteral("--cluster SIZE"),
                 HelpText::tr("cluster size: default, 512, 1024, ... 65536 bytes"));
  text += column(QStringLiteral("--size BYTES"),
                 HelpText::tr("partition size: only the first part of the drive, such as what "
                              "probe found usable"));
  text += column(QStringLiteral("-y, --yes"),
                 HelpText::tr("erase without asking; needed without a terminal"));
  text += column(QStringLiteral("-h, --help"), HelpText::tr("this text"));
  text += column(QStringLiteral("--version"), HelpText::tr("the version"));
  text += HelpText::tr("\nExit status:\n");
  const QList<std::pair<int, QString>> statuses{
      {cliSuccess, HelpText::tr("success")},
      {cliToolFailed, HelpText::tr("a tool failed or could not be started")},
      {cliUsage, HelpText::tr("the command line cannot be read")},
      {cliRefused, HelpText::tr("refused: bad name, cluster size or device, or not confirmed; "
                                "nothing written")},
      {cliAuthorizationFailed, HelpText::tr("administrator rights were not granted")},
      {cliVerificationFailed, HelpText::tr("the drive does not hold what the format asked for")},
      {cliCounterfeit, HelpText::tr("probe: the drive holds less than it claims")},
      {cliCancelled, HelpText::tr("cancelled (Ctrl+C)")},
  };
  for (const auto& [status, meaning] : statuses)
    text += QStringLiteral("  %1  %2\n").arg(status, 3).arg(meaning);
  text += HelpText::tr("\nSee tessaro-cli(1) for more.\n");
  return text;
}

QString CliHelpText::version() {
  return QStringLiteral("tessaro-cli ") + QStringLiteral(TESSARO_VERSION) + QLatin1Char('\n');
}

}  // namespace tessaro
