// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include "Await.h"
#include "exec/Error.h"
#include "contract/HelperContract.h"
#include "exec/PkexecLaunch.h"
#include "exec/PkexecRunner.h"
#include "exec/ProcessRunner.h"

using namespace tessaro;

namespace {

struct Outcome {
  qint64 status = -1;  // the exit status, or the error's code
  QString error;
  QStringList lines;
  bool toolStarted = false;
  bool cancelled = false;
};

// Runs `/bin/sh -c line` through a stand-in elevation program whose script
// body is given (none: the program is missing); $M holds the helper's marker.
// With cancelAfter, a cancel is asked for that many milliseconds after the
// start.
Outcome runElevated(const char* elevationBody, const QString& line, int cancelAfter = -1) {
  QTemporaryDir dir;
  const QString elevation = dir.filePath("elevate");
  if (elevationBody) {
    QFile file(elevation);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray("#!/bin/sh\n") + elevationBody + "\n");
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  }
  ProcessRunner runner;
  runner.setPrivilegedRunner(std::make_unique<PkexecRunner>(elevation, true));
  Outcome outcome;
  const QStringList args{"-c", "M='" + QString(HelperContract::startMarker) + "'; " + line};
  const auto onLines = [&outcome](const QStringList& lines) { outcome.lines += lines; };
  auto cancel = std::make_shared<Cancellation>();
  if (cancelAfter >= 0) QTimer::singleShot(cancelAfter, [cancel] { cancel->cancel(); });
  try {
    const PrivilegedRunResult result =
        test::awaitTask(runner.run("/bin/sh", args, {onLines, {}}, cancel));
    outcome.status = result.exitStatus.value_or(-2);
    outcome.toolStarted = result.toolStarted;
    outcome.cancelled = result.cancelled;
  } catch (const Error& error) {
    outcome.status = error.code();
    outcome.error = QString(error.description()).replace(dir.path(), "DIR");
  }
  return outcome;
}

TEST(PrivilegedRunnerTest, ElevationOutcomesAndWhatReachesTheLog) {
  const char* grant = "exec \"$@\"";
  const char* notAuthorized =
      "echo 'Error executing command as another user: Not authorized' >&2; echo >&2; "
      "echo 'This incident has been reported.' >&2; exit 127";
  const char* dismissed =
      "echo 'Error executing command as another user: Request dismissed' >&2; exit 126";
  const QString fffd(QChar::ReplacementCharacter);
  // Elevation script (none: missing), line, exit status or error code, error, lines delivered.
  const QString missing =
      "Authorization failed (127): DIR/elevate was not found. Install polkit "
      "(pkexec) to work on drives.";
  const QString denied = "Authorization failed (126): Request dismissed";
  // clang-format off
  const std::tuple<const char*, QString, qint64, QString, QStringList> cases[] = {
      {grant, "echo $M; head -c 10000 /dev/zero | tr '\\0' x", 0, "", {QString(10000, 'x')}},
      {grant, "printf '@@tessaro-help'; sleep 0.2; printf 'er-started@@\\n'; printf hi", 0, "",
       {"hi"}},
      {dismissed, "echo $M; echo never", 126, denied, {}},
      {notAuthorized, "echo never", 127, "Authorization failed (127): Not authorized", {}},
      {"exit 127", "echo never", 127, "Authorization failed (127)", {}},
      {grant, "echo $M; echo tool failed; exit 127", 127, "", {"tool failed"}},
      {nullptr, "echo never", 127, missing, {}},
      {grant, "echo $M; printf 'x\\377\\303'; exit 3", 3, "", {"x" + fffd + fffd}},
      // What arrives on standard error is shown after the output.
      {grant, "echo $M; echo out; echo stray >&2", 0, "", {"out", "stray"}},
  };
  // clang-format on
  for (const auto& [elevation, line, status, error, delivered] : cases) {
    SCOPED_TRACE(line.toStdString());
    const Outcome outcome = runElevated(elevation, line);
    EXPECT_EQ(outcome.status, status);
    EXPECT_EQ(outcome.error.toStdString(), error.toStdString());
    EXPECT_EQ(outcome.lines, delivered);
    EXPECT_FALSE(outcome.cancelled);
  }
}

}  // namespace
