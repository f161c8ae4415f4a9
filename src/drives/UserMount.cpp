// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/UserMount.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "exec/Error.h"

namespace tessaro {

QCoro::Task<UserMountOutcome> mountAsDesktopUser(ProcessRunner& runner, QString partitionPath,
                                                 QString udisksctlPath) {
  UserMountOutcome outcome;
  if (!QFileInfo(udisksctlPath).isExecutable()) co_return outcome;
  outcome.attempted = true;
  const QStringList command{udisksctlPath, QStringLiteral("mount"), QStringLiteral("-b"),
                            partitionPath};
  QStringList said;
  try {
    const QString output = co_await runner.runAndCapture(command);
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      said << line.trimmed();
  } catch (const Error& error) {
    said << error.description();
  }
  // udisksctl says "Mounted <device> at <place>" and nothing else when it
  // did; anything else is why it did not.
  const bool mounted = !said.isEmpty() && said.first().startsWith(QLatin1String("Mounted "));
  if (mounted) {
    outcome.lines = said;
  } else {
    for (const QString& line : said)
      outcome.notes << QCoreApplication::translate("UserMount", "Not mounted: %1").arg(line);
  }
  co_return outcome;
}

}  // namespace tessaro
