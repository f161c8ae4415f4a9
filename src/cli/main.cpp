// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QCoreApplication>
#include <QTimer>

#include "cli/CliApplication.h"
#include "cli/CliArgumentParser.h"
#include "cli/CliOutput.h"
#include "i18n/Translations.h"

using namespace tessaro;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tessaro-cli"));
  // Lines for people in their language; JSON stays as it is.
  Translations::install(app);
  CliOutput output;

  const CliParseResult parsed = CliArgumentParser::parse(app.arguments().mid(1));
  if (!parsed.request) {
    output.errorLine(QStringLiteral("tessaro-cli: ") + parsed.error);
    output.errorLine(
        QCoreApplication::translate("main", "Run tessaro-cli --help for the commands."));
    return parsed.status;
  }

  DiskManager manager;
  CliApplication cli(manager, output);
  int status = cliToolFailed;
  auto runToEnd = [&]() -> QCoro::Task<> {
    status = co_await cli.run(*parsed.request);
    QCoreApplication::exit(status);
  };
  QTimer::singleShot(0, &app, [&] { runToEnd(); });
  app.exec();
  return status;
}
