// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/TerminalConfirmation.h"

#include <unistd.h>

#include <QCoreApplication>
#include <array>

#include "exec/VisibleText.h"
#include "jobs/EraseQuestion.h"

namespace tessaro {

namespace {
struct ConfirmationText {
  Q_DECLARE_TR_FUNCTIONS(TerminalConfirmation)
};

QString indented(const QStringList& lines) {
  QString text;
  for (const QString& line : lines) text += QStringLiteral("  ") + line + QLatin1Char('\n');
  return text;
}
}  // namespace

QString TerminalConfirmation::formatPrompt(const FormatRequest& request) {
  const Drive& drive = request.drive;
  return EraseQuestion::formatQuestion(drive) + QLatin1Char('\n') + EraseQuestion::formatWarning() +
         QLatin1Char('\n') + indented(EraseQuestion::formatDetails(request)) +
         ConfirmationText::tr("Type %1 to erase it: ").arg(drive.bsdName);
}

QString TerminalConfirmation::probePrompt(const Drive& drive) {
  return EraseQuestion::probeQuestion(drive) + QLatin1Char('\n') + EraseQuestion::probeWarning() +
         QLatin1Char('\n') +
         ConfirmationText::tr("Type %1 to erase it and test its capacity: ").arg(drive.bsdName);
}

bool TerminalConfirmation::confirms(const QString& typedLine, const Drive& drive) {
  const QString typed = typedLine.trimmed();
  return !typed.isEmpty() && (typed == drive.bsdName || typed == drive.devicePath);
}

ConfirmationAnswer TerminalConfirmation::ask(const QString& prompt, const Drive& drive, FILE* in,
                                             FILE* out) {
  return ask(
      prompt, [&drive](const QString& typed) { return confirms(typed, drive); }, in, out);
}

ConfirmationAnswer TerminalConfirmation::ask(const QString& prompt,
                                             const std::function<bool(const QString&)>& accepts,
                                             FILE* in, FILE* out) {
  if (!isatty(fileno(in))) return ConfirmationAnswer::NoTerminal;
  // The prompt names the drive by its model, which the drive itself reports.
  std::fputs(visibleText(prompt.toStdString()).c_str(), out);
  std::fflush(out);
  std::array<char, 256> line{};
  if (!std::fgets(line.data(), static_cast<int>(line.size()), in)) {
    std::fputc('\n', out);  // end of input (Ctrl+D): leave the prompt's line
    return ConfirmationAnswer::Declined;
  }
  return accepts(QString::fromLocal8Bit(line.data())) ? ConfirmationAnswer::Confirmed
                                                      : ConfirmationAnswer::Declined;
}

}  // namespace tessaro
