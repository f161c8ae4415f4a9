// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliMain.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>

#include "cli/CliApplication.h"
#include "cli/CliArgumentParser.h"
#include "cli/CliFailureStatus.h"
#include "cli/CliOutput.h"
#include "drives/ClusterOption.h"
#include "i18n/Translations.h"

namespace tessaro {

namespace {

// Runs nothing: a write to a closed pipe then fails with EPIPE, so that the
// work under way is cancelled before the process ends as if SIGPIPE had
// ended it. A handler, unlike SIG_IGN, is not passed on to the tools.
void noteBrokenPipe(int) {}

// The exit status after output failed, or status.
int finalStatus(const CliOutput& output, int status) {
  switch (output.failure()) {
    case CliOutput::Failure::none:
      return status;
    case CliOutput::Failure::writeFailed:
      return cliWriteError;
    case CliOutput::Failure::closedPipe:
      std::signal(SIGPIPE, SIG_DFL);
      std::raise(SIGPIPE);
      return 128 + SIGPIPE;
  }
  return status;
}

}  // namespace

int cliMain(int argc, char** argv) {
  struct sigaction pipe {};
  pipe.sa_handler = noteBrokenPipe;
  sigemptyset(&pipe.sa_mask);
  sigaction(SIGPIPE, &pipe, nullptr);

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tessaro-cli"));
  // Lines for people in their language; JSON stays as it is. Option values
  // stay as they are typed.
  Translations::install(app);
  ClusterOption::setDefaultName("default");
  CliOutput output;

  const QStringList arguments = app.arguments().mid(1);
  const CliParseResult parsed = CliArgumentParser::parse(arguments);
  if (!parsed.request) {
    output.errorLine(QStringLiteral("tessaro-cli: ") + parsed.error);
    output.errorLine(
        QCoreApplication::translate("main", "Run tessaro-cli --help for the commands."));
    if (CliArgumentParser::asksForJson(arguments)) {
      output.document(QString::fromUtf8(
          CliApplication::errorDocument(CliFailureStatus::kind(parsed.status), parsed.error)));
    }
    return finalStatus(output, parsed.status);
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
  return finalStatus(output, status);
}

}  // namespace tessaro
