// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Starting programs: child processes, the lines they print, elevation
// through pkexec, and where the system's tools are found.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <set>

#include "Await.h"
#include "DataRows.h"
#include "contract/HelperContract.h"
#include "drives/linux/ToolAvailability.h"
#include "exec/ChildProcess.h"
#include "exec/Error.h"
#include "exec/OutputLineDecoder.h"
#include "exec/PkexecReason.h"
#include "exec/PkexecRunner.h"
#include "exec/ProcessRunner.h"

using namespace tessaro;
using Clock = std::chrono::steady_clock;

namespace {

struct Ran {
  int status = -1;
  QByteArray output;
  QByteArray errorOutput;
};

Ran runChild(ChildProcess& child) {
  EXPECT_TRUE(child.start()) << child.errorString();
  Ran ran;
  ran.status = child.run([&](std::string_view bytes) {
    ran.output += QByteArrayView(bytes.data(), qsizetype(bytes.size()));
  });
  ran.errorOutput = QByteArray::fromStdString(child.errorOutput());
  return ran;
}

using Words = std::vector<std::string>;

Ran runChild(const Words& command, ChildProcess::Output mode = ChildProcess::Output::terminal,
             const QByteArray& input = {}) {
  ChildProcess child(command, mode);
  if (!input.isEmpty()) child.setInputText(input.toStdString());
  return runChild(child);
}

bool processGone(pid_t pid) {
  for (int i = 0; i < 100; ++i, usleep(20000)) {
    if (kill(pid, 0) != 0) return true;
    // A zombie waiting for init to reap it runs no more either.
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ")) return true;
  }
  return false;
}

// awk writes standard output through stdio, fully buffered into a pipe but
// line by line onto a terminal; its standard error is unbuffered. On the
// child's terminal the order is the order written, with the bytes unchanged
// (raw mode: no "\r\n"); through pipes the error line comes first or apart.
TEST(ChildProcessTest, StandardOutputAndErrorArriveAsTheChannelsPromise) {
  const Words awk{"/usr/bin/awk", R"(BEGIN { print "out 1"; print "err é" > "/dev/stderr"; )"
                                  R"(printf "out 2\ttab\n"; printf "no newline" })"};
  EXPECT_EQ(runChild(awk).output, "out 1\nerr é\nout 2\ttab\nno newline");
  EXPECT_EQ(runChild(awk, ChildProcess::Output::pipe).output, "out 1\nout 2\ttab\nno newline");
  EXPECT_EQ(runChild(awk, ChildProcess::Output::merged).output,
            "err é\nout 1\nout 2\ttab\nno newline");
  const Ran separate = runChild(awk, ChildProcess::Output::separate);
  EXPECT_EQ(separate.output, "out 1\nout 2\ttab\nno newline");
  EXPECT_EQ(separate.errorOutput, "err é\n");
  // Standard error is kept up to its cap, and read to its end all the same.
  const Ran flood = runChild({"/bin/sh", "-c", "head -c 1000000 /dev/zero >&2; echo done"},
                             ChildProcess::Output::separate);
  EXPECT_EQ(flood.output, "done\n");
  EXPECT_EQ(std::size_t(flood.errorOutput.size()), ChildProcess::errorOutputCap);
}

TEST(ChildProcessTest, InputTextExitStatusesAndLaunchFailures) {
  EXPECT_EQ(runChild({"/bin/cat"}, ChildProcess::Output::pipe, "label: dos\nstart=2048\n").output,
            "label: dos\nstart=2048\n");
  EXPECT_EQ(runChild({"/bin/sh", "-c", "exit 3"}).status, 3);
  EXPECT_EQ(runChild({"/bin/sh", "-c", "kill -TERM $$"}).status, 128 + SIGTERM);
  // A child reads end of input, not the caller's terminal.
  EXPECT_EQ(runChild({"/bin/cat"}).output, "");
  // Large output through the terminal and through a pipe, whole and in order.
  for (const auto mode : {ChildProcess::Output::terminal, ChildProcess::Output::merged}) {
    const Ran large = runChild({"/usr/bin/seq", "1", "300000"}, mode);
    EXPECT_EQ(large.output.count('\n'), 300000);
    EXPECT_TRUE(large.output.endsWith("\n299999\n300000\n"));
  }

  // Words reach the program as they are: no shell reads them.
  EXPECT_EQ(runChild({"/bin/echo", "$(id)", "; kill 1", "a  b", "*"}).output,
            "$(id) ; kill 1 a  b *\n");
  // Never a search path, and nothing started for a program that is not there.
  for (const Words& command : {Words{"sh", "-c", "true"}, Words{}, Words{"/nonexistent/tool"}}) {
    ChildProcess child(command);
    EXPECT_FALSE(child.start()) << command.size();
    EXPECT_FALSE(child.errorString().empty());
    EXPECT_EQ(child.run({}), 127);
  }
}

// A held standard input carries what is written while the child runs; once
// closed, the child reads end of input and nothing more reaches it.
TEST(ChildProcessTest, HeldInputArrivesUntilItIsClosed) {
  ChildProcess child({"/bin/cat"}, ChildProcess::Output::pipe);
  child.setHeldInput();
  ASSERT_TRUE(child.start()) << child.errorString();
  EXPECT_TRUE(child.writeInput("cancel\n"));
  child.closeInput();
  EXPECT_FALSE(child.writeInput("more\n"));
  std::string output;
  EXPECT_EQ(child.run([&](std::string_view bytes) { output += bytes; }), 0);
  EXPECT_EQ(output, "cancel\n");
}

// The child gets its standard descriptors and nothing else of this process,
// no signal ignored or blocked, and its own group; in a session of its own it has no controlling
// terminal.
TEST(ChildProcessTest, TheChildStartsClean) {
  const int leaked = open("/dev/null", O_RDONLY);  // without close-on-exec
  ASSERT_GE(leaked, 3);
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &previous);
  sigset_t blocked, before;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, &before);

  const QString script = QString(
                             "[ -e /proc/self/fd/%1 ] && echo leaked; "
                             "while read -r key value; do case $key in SigIgn:|SigBlk:) "
                             "echo $key $((0x$value & 0x7fffffff));; esac; "
                             "done < /proc/self/status; "
                             "read -r stat < /proc/self/stat; set -- ${stat##*) }; echo $3 $4 $5")
                             .arg(leaked);
  for (const auto group :
       {ChildProcess::Group::session, ChildProcess::Group::own, ChildProcess::Group::caller}) {
    ChildProcess child({"/bin/sh", "-c", script.toStdString()}, ChildProcess::Output::pipe, group);
    const Ran ran = runChild(child);
    const QList<QByteArray> lines = ran.output.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << ran.output.toStdString();
    // The standard signals (glibc keeps two real-time ones of its own).
    EXPECT_EQ(lines[0], "SigBlk: 0");
    EXPECT_EQ(lines[1], "SigIgn: 0");
    const QList<QByteArray> ids = lines[2].split(' ');  // group, session, terminal
    ASSERT_EQ(ids.size(), 3);
    const bool ownGroup = group != ChildProcess::Group::caller;
    EXPECT_EQ(ids[0].toInt() == child.pid(), ownGroup);
    EXPECT_EQ(ids[0].toInt() == getpgrp(), !ownGroup);
    EXPECT_EQ(ids[1].toInt() == child.pid(), group == ChildProcess::Group::session);
    if (group == ChildProcess::Group::session) EXPECT_EQ(ids[2], "0");
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  sigaction(SIGINT, &previous, nullptr);
  close(leaked);
}

// A request on the watched descriptor ends the child's whole process group:
// SIGTERM first, SIGKILL after the grace for whatever ignores SIGTERM.
TEST(ChildProcessTest, AWatchRequestEndsTheChildsProcessGroup) {
  for (const auto& [script, killedBy] :
       {std::pair{"sleep 60 & echo $!; wait", SIGTERM},
        std::pair{"trap '' TERM; sleep 60 & echo $!; wait; wait", SIGKILL}}) {
    SCOPED_TRACE(script);
    int channel[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, channel), 0);
    ChildProcess child({"/bin/sh", "-c", script});
    ASSERT_TRUE(child.start());
    QByteArray output;
    int watched = 0;
    const auto started = Clock::now();
    const int status = child.run(
        [&](std::string_view bytes) {
          output += QByteArrayView(bytes.data(), qsizetype(bytes.size()));
          // Once the grandchild is known, the caller asks to stop.
          if (output.contains('\n')) (void)!write(channel[1], "cancel\n", 7);
        },
        channel[0],
        [&] {
          ++watched;
          return ChildProcess::Watch::endChild;
        });
    EXPECT_EQ(status, 128 + killedBy);
    // Waiting out the grace before SIGKILL is no failure to watch the child.
    EXPECT_EQ(child.runError(), "");
    EXPECT_TRUE(child.wasStopped());
    EXPECT_EQ(watched, 1);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
    const pid_t grandchild = output.trimmed().toInt();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processGone(grandchild)) << "the child's child " << grandchild << " still runs";
    close(channel[0]);
    close(channel[1]);
  }
}

QStringList decodeInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts,
                           qsizetype maxLineLength = 0) {
  OutputLineDecoder decoder(maxLineLength);
  QStringList lines;
  test::feedInPieces(bytes, cuts, [&](const QByteArray& piece) { lines += decoder.feed(piece); });
  return lines + decoder.finish();
}

// Bytes a tool printed and the lines shown of them (decoded.rows), or what
// pkexec printed and the line that says why it refused (pkexec-reasons.rows).
TEST(OutputLineDecoderTest, BytesThatAreNotUtf8BecomeReplacementCharactersAndPkexecSaysWhy) {
  for (const QString table : {"decoded", "pkexec-reasons"}) {
    const QList<test::DataRow> rows =
        test::readDataRows(TESSARO_FIXTURES_DIR "/OutputLines/" + table + ".rows");
    ASSERT_GT(rows.size(), 5);
    for (const test::DataRow& row : rows) {
      SCOPED_TRACE(row.where.toStdString());
      const QByteArray bytes = test::unescaped(row.fields[0]);
      const QStringList lines = test::textsOf(row.fields.mid(1));
      if (table == "pkexec-reasons") {
        EXPECT_EQ(tessaro::pkexecReason(bytes), lines.join(QString()));
        continue;
      }
      // Read whole, in two or three reads cut anywhere (inside a character,
      // between CR and LF), and byte by byte: the same lines.
      EXPECT_EQ(decodeInPieces(bytes, {}), lines);
      QList<qsizetype> everyByte;
      for (qsizetype first = 1; first < bytes.size(); ++first) {
        everyByte << first;
        for (qsizetype second = first; second <= bytes.size(); second += 7)
          ASSERT_EQ(decodeInPieces(bytes, {first, second}), lines) << first << ' ' << second;
      }
      EXPECT_EQ(decodeInPieces(bytes, everyByte), lines);
    }
  }
}

TEST(OutputLineDecoderTest, ALineWithoutEndIsCutAtTheLimit) {
  const QByteArray stream = QByteArray(25, 'x') + "\nshort\n" + QByteArray(10, 'y');
  const QStringList lines{QString(10, 'x'), QString(10, 'x'), QString(5, 'x'), "short",
                          QString(10, 'y')};
  EXPECT_EQ(decodeInPieces(stream, {3, 12, 30}, 10), lines);
  EXPECT_EQ(decodeInPieces(stream, {}, 10), lines);
  // A character outside the Basic Multilingual Plane at the limit (two
  // UTF-16 units) goes whole to the next piece rather than as two halves.
  const QByteArray wide = QByteArray(9, 'x') + "\xF0\x9F\x9A\xAB" + QByteArray(9, 'z');
  EXPECT_EQ(
      decodeInPieces(wide, {11}, 10),
      QStringList({QString(9, 'x'), QString::fromUtf8("\xF0\x9F\x9A\xAB") + QString(8, 'z'), "z"}));
}

struct Outcome {
  qint64 status = -1;  // the exit status, or the error's code
  QString error;
  QStringList lines;
  bool cancelled = false;
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
  runner.setPrivilegedRunner(std::make_unique<PkexecRunner>(elevation, true));
  Outcome outcome;
  const QStringList args{"-c", "M='" + QString(HelperContract::startMarker) + "'; " + line};
  const auto onLines = [&outcome](const QStringList& lines) { outcome.lines += lines; };
  try {
    const PrivilegedRunResult result = test::awaitTask(
        runner.run("/bin/sh", args, {onLines, {}}, std::make_shared<Cancellation>()));
    outcome.status = result.exitStatus.value_or(-2);
    outcome.cancelled = result.cancelled;
  } catch (const Error& error) {
    outcome.status = error.code();
    outcome.error = QString(error.description()).replace(dir.path(), "DIR");
  }
  return outcome;
}

TEST(PrivilegedRunnerTest, ElevationOutcomesAndWhatReachesTheLog) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/OutputLines/elevation.rows", "\t");
  ASSERT_GT(rows.size(), 8);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_GE(row.fields.size(), 4);
    const Outcome outcome = runElevated(row.fields[0] == "missing" ? nullptr : row.fields[0].data(),
                                        QString::fromUtf8(row.fields[1]));
    const QStringList told = test::textsOf(row.fields.mid(3));
    EXPECT_EQ(outcome.status, row.fields[2].toLongLong());
    EXPECT_EQ(outcome.error, told[0]);
    EXPECT_EQ(outcome.lines, told.mid(1));
    EXPECT_FALSE(outcome.cancelled);
  }
}

ToolProbe allBut(const std::set<std::string>& absent) {
  return [absent](const std::string& tool) { return !absent.contains(tool); };
}

TEST(ToolAvailability, PkexecIsOnlyNeededWithoutRoot) {
  EXPECT_EQ(findMissingTools(allBut({"pkexec"}), false),
            std::vector<MissingTools>({{{"pkexec"}, "pkexec", true}}));
  EXPECT_TRUE(findMissingTools(allBut({"pkexec"}), true).empty());
}

// The window looks where the helper looks: the system's directories, not PATH.
TEST(ToolAvailability, RealProbeLooksWhereTheHelperLooks) {
  // A desktop user's PATH often lacks /usr/sbin, where mkfs.fat lives on Debian.
  QTemporaryDir onPath;
  ASSERT_TRUE(QFile::copy("/bin/true", onPath.filePath("tessaro-only-on-path")));
  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", onPath.path().toLocal8Bit());
  const bool sbinToolFound = isToolInstalled("mkfs.fat");
  const bool pathToolFound = isToolInstalled("tessaro-only-on-path");
  qputenv("PATH", savedPath);
  EXPECT_TRUE(sbinToolFound) << "dosfstools is installed on test machines";
  EXPECT_FALSE(pathToolFound) << "the helper would not find it";
  EXPECT_FALSE(isToolInstalled("tessaro-no-such-tool"));
  EXPECT_EQ(systemToolPath("../bin/sh", {"/bin"}), "");
  // Every tool the helper runs has its package, and one the table does not know is its own.
  EXPECT_EQ(packageOf("findmnt"), "util-linux");
  EXPECT_EQ(missingOf({"sfdisk", "frobnicate"}, allBut({"frobnicate"})),
            std::vector<MissingTools>({{{"frobnicate"}, "frobnicate", true}}));
}

}  // namespace
