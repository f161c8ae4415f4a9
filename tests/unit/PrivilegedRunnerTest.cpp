#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Await.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"
#include "helper/HelperVerbs.h"

using namespace tessaro;

namespace {

struct Outcome {
  qint64 status = -1;  // the exit status, or the error's code
  QString error;
  QStringList chunks;
};

// Runs `/bin/sh -c line` through a stand-in elevation program whose script
// body is given (none: the program is missing); $M holds the helper's marker.
Outcome runElevated(const char* elevationBody, const QString& line) {
  QTemporaryDir dir;
  const QString elevation = dir.filePath("elevate");
  if (elevationBody) {
    QFile file(elevation);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray("#!/bin/sh\n") + elevationBody + "\n");
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  }
  ProcessRunner runner;
  runner.setElevationProgram(elevation, true);
  Outcome outcome;
  const QStringList args{"-c", "M='" + QString(helper::kStartedMarker) + "'; " + line};
  const auto onChunk = [&outcome](const QString& chunk) { outcome.chunks << chunk; };
  try {
    outcome.status = test::awaitTask(runner.run("/bin/sh", args, onChunk)).exitStatus.value_or(-2);
  } catch (const Error& error) {
    outcome.status = error.code();
    outcome.error = QString(error.description()).replace(dir.path(), "DIR");
  }
  return outcome;
}

TEST(PrivilegedRunnerTest, ElevationOutcomesAndWhatReachesTheLog) {
  const char* grant = "exec \"$@\"";
  // Elevation script (none: missing), line, exit status or error code, error, what was delivered.
  const std::tuple<const char*, QString, qint64, QString, QString> cases[] = {
      {grant, "echo $M; head -c 10000 /dev/zero | tr '\\0' x", 0, "", QString(10000, 'x')},
      {grant,
       "printf '@@tessaro-help'; sleep 0.2; printf 'er-started@@\\n'; echo no >&2; printf hi", 0,
       "", "hi"},
      {"exit 126", "echo $M; echo never", 126, "Authorization failed (126)", ""},  // dismissed
      {"exit 127", "echo never", 127, "Authorization failed (127)", ""},           // refused
      {grant, "echo $M; echo tool failed; exit 127", 127, "", "tool failed\n"},
      {nullptr, "echo never", 127,
       "Authorization failed (127): DIR/elevate was not found. Install polkit (pkexec) to work on "
       "drives.",
       ""},
      {grant, "echo $M; printf '\\377'; kill -9 $$", 128 + 9, "", ""},  // invalid UTF-8 dropped
  };
  for (const auto& [elevation, line, status, error, delivered] : cases) {
    SCOPED_TRACE(line.toStdString());
    const Outcome outcome = runElevated(elevation, line);
    EXPECT_EQ(outcome.status, status);
    EXPECT_EQ(outcome.error.toStdString(), error.toStdString());
    EXPECT_EQ(outcome.chunks.join(QString()), delivered);
    for (const QString& chunk : outcome.chunks) EXPECT_LE(chunk.toUtf8().size(), 4096);
  }
}

}  // namespace
