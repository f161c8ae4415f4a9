// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "helper/ToolProcess.h"

using namespace tessaro;

namespace {

struct Ran {
  int status = -1;
  QByteArray output;
  bool stopped = false;
};

Ran runTool(const QStringList& command, ToolProcess::Output mode = ToolProcess::Output::terminal,
            const QByteArray& input = {}) {
  ToolProcess tool(command, mode);
  if (!input.isEmpty()) tool.setInputText(input);
  EXPECT_TRUE(tool.start()) << tool.errorString().toStdString();
  Ran ran;
  ran.status = tool.run([&](const QByteArray& bytes) { ran.output += bytes; });
  ran.stopped = tool.wasStopped();
  return ran;
}

bool processGone(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  // A zombie waiting for init to reap it runs no more either.
  QFile stat(QString("/proc/%1/stat").arg(pid));
  return stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
}

// awk writes standard output through stdio, fully buffered into a pipe but
// line by line onto a terminal; its standard error is unbuffered. Through a
// pipe the error line comes first; on the tool's terminal the order is the
// order written, with the bytes unchanged (raw mode: no "\r\n").
TEST(ToolProcessTest, StandardOutputAndErrorArriveInTheOrderWrittenAndUnchanged) {
  const QStringList awk{"/usr/bin/awk", R"(BEGIN { print "out 1"; print "err é" > "/dev/stderr"; )"
                                        R"(printf "out 2\ttab\n"; printf "no newline" })"};
  EXPECT_EQ(runTool(awk).output, "out 1\nerr é\nout 2\ttab\nno newline");
  const Ran piped = runTool(awk, ToolProcess::Output::pipe);
  EXPECT_EQ(piped.output, "out 1\nout 2\ttab\nno newline");  // standard error is not read
}

TEST(ToolProcessTest, InputTextExitStatusesAndLaunchFailures) {
  EXPECT_EQ(runTool({"/bin/cat"}, ToolProcess::Output::pipe, "label: dos\nstart=2048\n").output,
            "label: dos\nstart=2048\n");
  EXPECT_EQ(runTool({"/bin/sh", "-c", "exit 3"}).status, 3);
  EXPECT_EQ(runTool({"/bin/sh", "-c", "kill -TERM $$"}).status, 128 + SIGTERM);
  // A tool reads end of input, not the caller's terminal.
  EXPECT_EQ(runTool({"/bin/cat"}).output, "");
  // Large output through the terminal, whole and in order.
  const Ran large = runTool({"/usr/bin/seq", "1", "100000"});
  EXPECT_EQ(large.output.count('\n'), 100000);
  EXPECT_TRUE(large.output.endsWith("\n99999\n100000\n"));

  // Never a search path, and nothing started for a program that is not there.
  for (const QStringList& command :
       {QStringList{"sh", "-c", "true"}, QStringList{}, QStringList{"/nonexistent/tool"}}) {
    ToolProcess tool(command);
    EXPECT_FALSE(tool.start()) << command.join(' ').toStdString();
    EXPECT_FALSE(tool.errorString().isEmpty());
    EXPECT_EQ(tool.run({}), 127);
  }
}

// A request on the watched descriptor ends the tool's whole process group:
// SIGTERM first, SIGKILL after the grace for whatever ignores SIGTERM.
TEST(ToolProcessTest, AWatchRequestEndsTheToolsProcessGroup) {
  struct Case {
    const char* script;
    int status;
  };
  const Case cases[] = {
      {"sleep 60 & echo $!; wait", 128 + SIGTERM},
      {"trap '' TERM; sleep 60 & echo $!; wait; wait", 128 + SIGKILL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    int channel[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, channel), 0);
    ToolProcess tool({"/bin/sh", "-c", c.script});
    ASSERT_TRUE(tool.start());
    QByteArray output;
    int watched = 0;
    const auto started = std::chrono::steady_clock::now();
    const int status = tool.run(
        [&](const QByteArray& bytes) {
          output += bytes;
          // Once the child is known, the caller asks to stop.
          if (output.contains('\n')) (void)!write(channel[1], "cancel\n", 7);
        },
        channel[0],
        [&] {
          char buffer[16];
          (void)!read(channel[0], buffer, sizeof buffer);
          ++watched;
          return ToolProcess::Watch::endTool;
        });
    EXPECT_EQ(status, c.status);
    EXPECT_TRUE(tool.wasStopped());
    EXPECT_EQ(watched, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    const pid_t child = output.trimmed().toInt();
    ASSERT_GT(child, 0);
    for (int i = 0; i < 50 && !processGone(child); ++i) usleep(20000);
    EXPECT_TRUE(processGone(child)) << "the tool's child " << child << " still runs";
    close(channel[0]);
    close(channel[1]);
  }
}

// A caller that is gone (end of its channel) but whose run must finish:
// the watch is dropped and the tool runs to its end.
TEST(ToolProcessTest, StopWatchingLetsTheToolFinish) {
  int channel[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, channel), 0);
  close(channel[1]);
  ToolProcess tool({"/bin/sh", "-c", "sleep 0.3; echo finished"});
  ASSERT_TRUE(tool.start());
  QByteArray output;
  int watched = 0;
  const int status = tool.run([&](const QByteArray& bytes) { output += bytes; }, channel[0],
                              [&] {
                                ++watched;
                                return ToolProcess::Watch::stopWatching;
                              });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output, "finished\n");
  EXPECT_EQ(watched, 1);
  EXPECT_FALSE(tool.wasStopped());
  close(channel[0]);
}

TEST(ToolProcessTest, DestroyingARunningToolEndsIt) {
  pid_t pid = 0;
  {
    ToolProcess tool({"/bin/sleep", "60"});
    ASSERT_TRUE(tool.start());
    pid = tool.pid();
  }
  EXPECT_TRUE(processGone(pid));
}

}  // namespace
