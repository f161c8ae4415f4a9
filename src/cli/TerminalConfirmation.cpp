// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/TerminalConfirmation.h"

#include <unistd.h>

#include <QCoreApplication>
#include <array>

#include "exec/VisibleText.h"

namespace tessaro {

namespace {
struct ConfirmationText {
  Q_DECLARE_TR_FUNCTIONS(TerminalConfirmation)
};
}  // namespace

QString TerminalConfirmation::prompt(const Drive& drive) {
  return ConfirmationText::tr(
             "Erase %1 (%2)?\nAll data on this drive will be erased. This cannot be undone.\n"
             "Type %3 to erase it: ")
      .arg(drive.description, drive.devicePath, drive.bsdName);
}

bool TerminalConfirmation::confirms(const QString& typedLine, const Drive& drive) {
  const QString typed = typedLine.trimmed();
  return !typed.isEmpty() && (typed == drive.bsdName || typed == drive.devicePath);
}

ConfirmationAnswer TerminalConfirmation::ask(const Drive& drive, FILE* in, FILE* out) {
  if (!isatty(fileno(in))) return ConfirmationAnswer::NoTerminal;
  // The prompt names the drive by its model, which the drive itself reports.
  std::fputs(visibleText(prompt(drive)).toLocal8Bit().constData(), out);
  std::fflush(out);
  std::array<char, 256> line{};
  if (!std::fgets(line.data(), static_cast<int>(line.size()), in)) {
    std::fputc('\n', out);  // end of input (Ctrl+D): leave the prompt's line
    return ConfirmationAnswer::Declined;
  }
  return confirms(QString::fromLocal8Bit(line.data()), drive) ? ConfirmationAnswer::Confirmed
                                                              : ConfirmationAnswer::Declined;
}

}  // namespace tessaro
