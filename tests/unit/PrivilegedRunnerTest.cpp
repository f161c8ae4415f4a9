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
#include "exec/HelperContract.h"
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
        test::awaitTask(runner.run("/bin/sh", args, onLines, cancel));
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

// The helper hears a cancel on its standard input, which stays open for the
// whole run; before the helper has begun (a password dialog still open) the
// elevation program itself is ended.
TEST(PrivilegedRunnerTest, CancelReachesTheHelperOrEndsTheElevationProgram) {
  const Outcome heard = runElevated(
      "exec \"$@\"", "echo $M; echo waiting; read line; echo \"Cancelled: heard $line\"; exit 72",
      300);
  EXPECT_EQ(heard.lines, (QStringList{"waiting", "Cancelled: heard cancel"}));
  EXPECT_EQ(heard.status, 72);
  EXPECT_TRUE(heard.toolStarted);
  EXPECT_TRUE(heard.cancelled);

  const Outcome dialog = runElevated("exec sleep 1000", "echo never", 300);
  EXPECT_EQ(dialog.error, "");
  EXPECT_EQ(dialog.lines, QStringList());
  EXPECT_EQ(dialog.status, 128 + SIGTERM);
  EXPECT_FALSE(dialog.toolStarted);
  EXPECT_TRUE(dialog.cancelled);
}

// A terminal's Ctrl+C goes to its foreground process group; the helper run
// as root is not in it and hears of a cancel only through its standard input.
TEST(PrivilegedRunnerTest, HelperRunAsRootHasAProcessGroupOfItsOwn) {
  if (!runsAsRoot()) GTEST_SKIP() << "runs the tool directly only as root";
  ProcessRunner runner;
  QStringList lines;
  const QStringList args{"-c",
                         "echo '" + QString(HelperContract::startMarker) + "'; ps -o pgid= -p $$"};
  const auto onLines = [&lines](const QStringList& batch) { lines += batch; };
  const PrivilegedRunResult result = test::awaitTask(runner.run("/bin/sh", args, onLines));
  EXPECT_EQ(result.exitStatus, 0);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_NE(lines.first().trimmed().toInt(), int(getpgrp()));
}

}  // namespace
