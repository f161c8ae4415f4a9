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

constexpr int kLeftWidth = 24;
constexpr int kWidth = 80;

// left in a column of its own, right beside it wrapped at words to end
// before column 80; a left too wide for its column stands on a line alone.
QString column(const QString& left, const QString& right, int leftWidth = kLeftWidth) {
  const QString indent(2 + leftWidth + 1, u' ');
  QStringList lines;
  QString current;
  for (const QString& word : right.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (!current.isEmpty() && indent.size() + current.size() + 1 + word.size() >= kWidth) {
      lines << current;
      current.clear();
    }
    current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
  }
  if (!current.isEmpty()) lines << current;
  QString text;
  if (left.size() > leftWidth)
    text = QStringLiteral("  ") + left + QLatin1Char('\n') + indent;
  else
    text = QStringLiteral("  ") + left.leftJustified(leftWidth) + QLatin1Char(' ');
  return text + lines.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
}

}  // namespace

QString CliHelpText::text() {
  QString text = HelpText::tr(
      "Usage: tessaro-cli COMMAND [DEVICE...] [OPTIONS]\n"
      "Prepares external and removable drives for FAT32.\n\nCommands:\n");
  for (const CliCommandShape& shape : CliArgumentParser::commands())
    text += column(shape.synopsis, QCoreApplication::translate("CliArgumentParser",
                                                               shape.summary.toUtf8().constData()));
  text += HelpText::tr(
      "\nDEVICE is a drive that `tessaro-cli list` shows, as sdb or /dev/sdb, or a loop\n"
      "device named explicitly (an image attached with losetup); `tessaro-cli list\n"
      "--all` says why any other device is not offered. check, format and probe take\n"
      "several drives at once: each is checked first, one question lists them all\n"
      "(type their number to confirm), rights are asked once, and a table ends it.\n"
      "\nOptions:\n");
  text += column(QStringLiteral("--json"), HelpText::tr("print JSON instead of lines"));
  text += column(QStringLiteral("--all"),
                 HelpText::tr("list every block device, with why it is not offered"));
  text += column(QStringLiteral("-n, --noheadings"),
                 HelpText::tr("list: leave out the table's header line"));
  text += column(QStringLiteral("-n, --read-only"),
                 HelpText::tr("check: only check, as fsck.fat -n; nothing is changed"));
  text += column(QStringLiteral("--name NAME"),
                 HelpText::tr("volume name, upper-cased; UNTITLED when blank"));
  text += column(QStringLiteral("--cluster SIZE"),
                 HelpText::tr("cluster size: default, 512, 1K, 2K, 4K, 8K, 16K, 32K or 64K "
                              "(or in bytes: 512 ... 65536)"));
  text += column(QStringLiteral("--size SIZE"),
                 HelpText::tr("partition size, such as what probe found usable: bytes, or "
                              "K, M, G, T (powers of 1024; also KiB ... TiB) or KB, MB, GB, TB "
                              "(powers of 1000) after the number, such as 8G"));
  text += column(QStringLiteral("--full"),
                 HelpText::tr("probe: write and read back every block, not samples (hours)"));
  text += column(QStringLiteral("-y, --yes"),
                 HelpText::tr("erase without asking; needed without a terminal"));
  text += column(QStringLiteral("-h, --help"), HelpText::tr("this text"));
  text += column(QStringLiteral("-V, --version"), HelpText::tr("the version"));
  text +=
      HelpText::tr("\nExit status, the same for every command (check's are fsck's: 0, 1, 4, 8):\n");
  const QList<std::pair<QString, QString>> statuses{
      {QString::number(cliSuccess), HelpText::tr("success; check: no errors were found")},
      {QString::number(cliErrorsCorrected), HelpText::tr("check: errors were found and corrected")},
      {QString::number(cliUsage), HelpText::tr("the command line cannot be read")},
      {QString::number(cliRefused),
       HelpText::tr("refused: bad name, cluster size or device, a drive no longer attached, or "
                    "not confirmed; nothing written")},
      {QString::number(cliErrorsLeft),
       HelpText::tr("check: errors were found and left in the file system")},
      {QString::number(cliVerificationFailed),
       HelpText::tr("the drive does not hold what the format asked for")},
      {QString::number(cliCounterfeit), HelpText::tr("probe: the drive holds less than it claims")},
      {QString::number(cliAuthorizationFailed),
       HelpText::tr("administrator rights were not granted")},
      {QString::number(cliToolFailed),
       HelpText::tr("a tool failed or could not be started, or the drive stopped responding")},
      {QString::number(cliDamaged), HelpText::tr("probe: the drive loses data in places")},
      {QString::number(cliDriveFailed),
       HelpText::tr("probe: the drive refused writes or stopped storing them")},
      {QString::number(cliMixedFailures),
       HelpText::tr("several drives failed in different ways; the table gives each one's")},
      {QString::number(cliWriteError), HelpText::tr("standard output could not be written")},
      {QStringLiteral("130, 143"),
       HelpText::tr("cancelled by Ctrl+C or SIGTERM (128 and the signal's number)")},
  };
  for (const auto& [status, meaning] : statuses)
    text += column(status.rightJustified(3), meaning, 8);
  text += HelpText::tr(
      "\nOutput: the tools' lines on standard output, exactly as they printed them;\n"
      "each failure, refusal and warning as one line on standard error. With --json,\n"
      "standard output holds one JSON document, a failure included; its keys are\n"
      "lsblk's, in lower case with - between words.\n");
  text += HelpText::tr("\nSee tessaro-cli(1) for more.\n");
  return text;
}

QString CliHelpText::version() {
  return QStringLiteral("tessaro-cli ") + QStringLiteral(TESSARO_VERSION) + QLatin1Char('\n');
}

}  // namespace tessaro
