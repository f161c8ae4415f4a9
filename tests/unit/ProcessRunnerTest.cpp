// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "Await.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"

using tessaro::ProcessRunner;
using tessaro::test::awaitTask;

namespace {

QCoro::Task<QString> run(const QString& script, tessaro::LineHandler onLines = {},
                         std::shared_ptr<tessaro::Cancellation> cancel = {}) {
  const QStringList cmd{"/bin/sh", "-c", script};
  return ProcessRunner::shared().runAndCapture(cmd, std::move(onLines), std::move(cancel));
}

QString capture(const QString& script, tessaro::LineHandler onLines = {}) {
  return awaitTask(run(script, std::move(onLines)));
}

// Whether the process is gone (or a zombie nobody waits for any more),
// allowing its parent a moment to reap it.
bool gone(qint64 pid) {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 3000) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray fields = stat.readAll();
    if (fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z") return true;
    QThread::msleep(20);
  }
  return false;
}

}  // namespace

// The pauses let each block arrive on its own before the next is written.
TEST(ProcessRunner, CapturesBothStreamsInOrderWhateverTheExitAndRaisesOnlyWhenNotStarted) {
  EXPECT_EQ(capture("echo one; sleep 0.2; echo two >&2; sleep 0.2; echo three"), "one\ntwo\nthree");
  EXPECT_EQ(capture("echo good; sleep 0.2; printf 'bad \\377\\376\\n'; sleep 0.2; echo café"),
            "good\nbad \uFFFD\uFFFD\ncafé");
  EXPECT_EQ(capture("echo a; exit 1"), "a");
  EXPECT_EQ(capture("echo b >&2; kill -9 $$"), "b");
  EXPECT_EQ(awaitTask(ProcessRunner::shared().runAndCapture({})), "");
  const QStringList missing{"/nonexistent/tool"};
  EXPECT_THROW(awaitTask(ProcessRunner::shared().runAndCapture(missing)), tessaro::Error);
}

// Both streams share one channel, so a tool that writes unbuffered keeps its
// order even without pauses.
TEST(ProcessRunner, StandardOutputAndErrorKeepTheOrderTheToolWroteThem) {
  QString script;
  QStringList expected;
  for (int i = 0; i < 200; ++i) {
    script += QStringLiteral("echo out%1; echo err%1 >&2; ").arg(i);
    expected << QStringLiteral("out%1").arg(i) << QStringLiteral("err%1").arg(i);
  }
  QStringList delivered;
  const QString text = capture(script, [&](const QStringList& lines) { delivered += lines; });
  EXPECT_EQ(delivered, expected);
  EXPECT_EQ(text, expected.join('\n'));
}

TEST(ProcessRunner, EachLineReachesTheHandlerOnceAlsoTheLastWithoutLineFeed) {
  QStringList delivered;
  const QString text = capture(
      "for i in 1 2 3; do printf 'out%s part' $i; sleep 0.05; echo ' rest'; done; "
      "printf 'caf\\303'; sleep 0.1; printf '\\251 end'",
      [&](const QStringList& lines) { delivered += lines; });
  EXPECT_EQ(delivered, (QStringList{"out1 part rest", "out2 part rest", "out3 part rest",
                                    QString::fromUtf8("café end")}));
  EXPECT_EQ(text, delivered.join('\n'));
}

TEST(ProcessRunner, TwoCallsInFlightKeepTheirOwnText) {
  QStringList arrivals;
  const auto note = [&](const QStringList& lines) { arrivals += lines; };
  auto both = [&]() -> QCoro::Task<QStringList> {
    auto slow = run("echo slow1; sleep 0.4; echo slow2", note);
    auto fast = run("sleep 0.1; echo fast >&2", note);
    const QString first = co_await std::move(slow);
    const QString second = co_await std::move(fast);
    co_return QStringList{first, second};
  };
  EXPECT_EQ(awaitTask(both()), (QStringList{"slow1\nslow2", "fast"}));
  // Overlapped rather than one after the other.
  EXPECT_EQ(arrivals.mid(0, 2), (QStringList{"slow1", "fast"}));
}

TEST(ProcessRunner, TwentyMegabytesOfOutputComplete) {
  const QString text = capture("head -c 20000000 /dev/zero | tr '\\0' x; printf '\\nend' >&2");
  EXPECT_EQ(text.size(), 20'000'004);
  EXPECT_TRUE(text.endsWith("x\nend"));
}

// A hung tool, one that ignores SIGTERM, and a child the tool started: a
// cancel ends them all and the call raises a cancellation.
TEST(ProcessRunner, CancelEndsTheToolAndEverythingItStarted) {
  const char* scripts[] = {
      "sleep 1000 & echo $! > \"$D/child\"; echo $$ > \"$D/tool\"; echo started; wait",
      "trap '' TERM; sleep 1000 & echo $! > \"$D/child\"; echo $$ > \"$D/tool\"; echo started; "
      "while :; do wait; done",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    QTemporaryDir dir;
    auto cancel = std::make_shared<tessaro::Cancellation>();
    QStringList delivered;
    const auto onLines = [&](const QStringList& lines) {
      delivered += lines;
      cancel->cancel();
    };
    const QString line = "D='" + dir.path() + "'; " + script;
    QElapsedTimer took;
    took.start();
    try {
      awaitTask(run(line, onLines, cancel));
      ADD_FAILURE() << "no cancellation raised";
    } catch (const tessaro::Error& error) {
      EXPECT_TRUE(tessaro::isCancellation(error)) << error.description().toStdString();
    }
    EXPECT_EQ(delivered, QStringList{"started"});
    for (const char* name : {"tool", "child"}) {
      QFile file(dir.filePath(name));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
      const qint64 pid = file.readAll().trimmed().toLongLong();
      ASSERT_GT(pid, 1);
      EXPECT_TRUE(gone(pid)) << name;
      if (!gone(pid)) ::kill(pid_t(pid), SIGKILL);
    }
  }
  // Cancelled before it began: nothing starts.
  auto cancel = std::make_shared<tessaro::Cancellation>();
  cancel->cancel();
  EXPECT_THROW(awaitTask(run("echo never", {}, cancel)), tessaro::Error);
}
