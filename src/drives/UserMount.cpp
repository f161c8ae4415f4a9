// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/UserMount.h"

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
  try {
    const QString output = co_await runner.runAndCapture(command);
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      outcome.lines << line.trimmed();
    }
  } catch (const Error& error) {
    outcome.lines << error.description();
  }
  co_return outcome;
}

}  // namespace tessaro
