// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "exec/HelperContract.h"
#include "helper/HelperStop.h"
#include "helper/HelperVerbs.h"
#include "helper/VerbRun.h"

using namespace tessaro;
using namespace tessaro::helper;

namespace {

// Root runs tools with a known environment: the system's directories for
// PATH, and the caller's language only.
void keepOnlyLanguage() {
  QList<QByteArray> kept;
  for (char** entry = environ; *entry; ++entry) {
    const QByteArray variable(*entry);
    if (variable.startsWith("LANG=") || variable.startsWith("LANGUAGE=") ||
        variable.startsWith("LC_")) {
      kept << variable;
    }
  }
  clearenv();
  for (const QByteArray& variable : kept) {
    const qsizetype equals = variable.indexOf('=');
    setenv(variable.left(equals).constData(), variable.mid(equals + 1).constData(), 1);
  }
  setenv("PATH", "/usr/sbin:/usr/bin:/sbin:/bin", 1);
}

}  // namespace

int main(int argc, char** argv) {
  // A caller that goes away must not end a format half done by its pipe.
  signal(SIGPIPE, SIG_IGN);
  // Everything the helper says goes to standard output; what reaches
  // standard error comes from pkexec.
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    if (null != STDERR_FILENO) close(null);
  }
  keepOnlyLanguage();

  std::printf("%s\n", HelperContract::startMarker);
  std::fflush(stdout);
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromUtf8(argv[i]);
  const QString verb = args.isEmpty() ? QString() : args.takeFirst();
  try {
    if (verb == QLatin1String(HelperContract::formatVerb)) return formatVerb(args);
    if (verb == QLatin1String(HelperContract::checkVerb)) return checkVerb(args);
    if (verb == QLatin1String(HelperContract::infoVerb)) return infoVerb(args);
    if (verb == QLatin1String(HelperContract::probeVerb)) return probeVerb(args);
    printLine(
        QStringLiteral("Usage: tessaro-helper format DISK NAME CLUSTER | check TARGET | "
                       "info DISK [PARTITION] | probe DISK"));
    return HelperContract::usage;
  } catch (const HelperStop& stop) {
    return stop.status();
  } catch (const std::exception& error) {
    printLine(QStringLiteral("Failed: ") + QString::fromUtf8(error.what()));
    return HelperContract::toolFailed;
  }
}
