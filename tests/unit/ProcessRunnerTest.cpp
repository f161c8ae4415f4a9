#include <gtest/gtest.h>

#include <QStringList>

#include "Await.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"

using tessaro::ProcessRunner;
using tessaro::test::awaitTask;

namespace {

QCoro::Task<QString> run(const QString& script, tessaro::ChunkHandler onChunk = {}) {
  const QStringList cmd{"/bin/sh", "-c", script};
  return ProcessRunner::shared().runAndCapture(cmd, std::move(onChunk));
}

QString capture(const QString& script, tessaro::ChunkHandler onChunk = {}) {
  return awaitTask(run(script, std::move(onChunk)));
}

}  // namespace

// The pauses let each block arrive on its own before the next is written.
TEST(ProcessRunner, CapturesBothStreamsInOrderWhateverTheExitAndRaisesOnlyWhenNotStarted) {
  EXPECT_EQ(capture("echo one; sleep 0.2; echo two >&2; sleep 0.2; echo three"), "one\ntwo\nthree");
  EXPECT_EQ(capture("echo good; sleep 0.2; printf 'bad \\377\\376\\n'; sleep 0.2; echo café"),
            "good\ncafé");
  EXPECT_EQ(capture("echo a; exit 1"), "a");
  EXPECT_EQ(capture("echo b >&2; kill -9 $$"), "b");
  EXPECT_EQ(awaitTask(ProcessRunner::shared().runAndCapture({})), "");
  const QStringList missing{"/nonexistent/tool"};
  EXPECT_THROW(awaitTask(ProcessRunner::shared().runAndCapture(missing)), tessaro::Error);
}

TEST(ProcessRunner, EachChunkReachesTheHandlerOnce) {
  QString delivered;
  const QString text =
      capture("for i in 1 2 3 4 5; do echo out$i; echo err$i >&2; sleep 0.05; done",
              [&](const QString& chunk) { delivered += chunk; });
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(delivered.count(QStringLiteral("out%1\n").arg(i)), 1) << i;
    EXPECT_EQ(delivered.count(QStringLiteral("err%1\n").arg(i)), 1) << i;
  }
  EXPECT_EQ(text, delivered.trimmed());
}

TEST(ProcessRunner, TwoCallsInFlightKeepTheirOwnText) {
  QStringList arrivals;
  const auto note = [&](const QString& chunk) { arrivals << chunk; };
  auto both = [&]() -> QCoro::Task<QStringList> {
    auto slow = run("printf slow1; sleep 0.4; printf ' slow2'", note);
    auto fast = run("sleep 0.1; printf fast >&2", note);
    const QString first = co_await std::move(slow);
    const QString second = co_await std::move(fast);
    co_return QStringList{first, second};
  };
  EXPECT_EQ(awaitTask(both()), (QStringList{"slow1 slow2", "fast"}));
  // Overlapped rather than one after the other.
  EXPECT_EQ(arrivals.mid(0, 2), (QStringList{"slow1", "fast"}));
}

TEST(ProcessRunner, TwentyMegabytesOfOutputComplete) {
  const QString text = capture("head -c 20000000 /dev/zero | tr '\\0' x; printf '\\nend' >&2");
  EXPECT_EQ(text.size(), 20'000'004);
  EXPECT_TRUE(text.endsWith("x\nend"));
}
