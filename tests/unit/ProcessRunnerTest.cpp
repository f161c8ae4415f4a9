#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <QElapsedTimer>
#include <QStringList>

#include "Await.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"

using tessaro::Error;
using tessaro::ProcessRunner;

namespace {

QString capture(const QString& script, tessaro::ChunkHandler onChunk = {}) {
  const QStringList cmd{QStringLiteral("/bin/sh"), QStringLiteral("-c"), script};
  return tessaro::test::awaitTask(ProcessRunner::shared().runAndCapture(cmd, std::move(onChunk)));
}

}  // namespace

TEST(ProcessRunner, CapturesBothStreamsInArrivalOrder) {
  // The pauses let each block arrive on its own before the next is written.
  const QString text =
      capture("printf 'one\\n'; sleep 0.2; printf 'two\\n' >&2; sleep 0.2; printf 'three\\n'");
  EXPECT_EQ(text, "one\ntwo\nthree");
}

TEST(ProcessRunner, NonZeroExitAndSignalsStillGiveTheText) {
  EXPECT_EQ(capture("printf 'a\\n'; exit 1"), "a");
  EXPECT_EQ(capture("printf 'b\\n'; kill -9 $$"), "b");
  EXPECT_EQ(capture("printf 'only errors\\n' >&2; exit 3"), "only errors");
  EXPECT_EQ(capture("printf '  \\n\\t \\n'"), "");
}

TEST(ProcessRunner, InvalidUtf8BlockIsDroppedWhole) {
  const QString text = capture(
      "printf 'good\\n'; sleep 0.2; printf 'bad \\377\\376 block\\n'; sleep 0.2; "
      "printf 'caf\\303\\251\\n'");
  EXPECT_EQ(text, QString::fromUtf8("good\ncafé"));
}

TEST(ProcessRunner, EmptyCommandStartsNothing) {
  EXPECT_EQ(tessaro::test::awaitTask(ProcessRunner::shared().runAndCapture({})), "");
}

TEST(ProcessRunner, MissingExecutableRaisesTheLaunchError) {
  int chunks = 0;
  const QStringList cmd{QStringLiteral("/nonexistent/tool"), QStringLiteral("-x")};
  try {
    tessaro::test::awaitTask(
        ProcessRunner::shared().runAndCapture(cmd, [&](const QString&) { ++chunks; }));
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.domain(), tessaro::ErrorDomain::process);
    EXPECT_FALSE(error.description().isEmpty());
  }
  // The runner still works afterwards and nothing reached the handler.
  EXPECT_EQ(capture("echo fine"), "fine");
  EXPECT_EQ(chunks, 0);

  const QStringList notExecutable{QStringLiteral("/etc/hostname")};
  EXPECT_THROW(tessaro::test::awaitTask(ProcessRunner::shared().runAndCapture(notExecutable)),
               Error);
}

TEST(ProcessRunner, ChunksAreDeliveredOnceAndMakeUpTheText) {
  QStringList chunks;
  const QString text = capture(
      "for i in 1 2 3 4 5; do printf \"out$i\\n\"; printf \"err$i\\n\" >&2; sleep 0.05; done",
      [&](const QString& chunk) { chunks << chunk; });
  EXPECT_FALSE(chunks.isEmpty());
  const QString delivered = chunks.join(QString());
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(delivered.count(QStringLiteral("out%1\n").arg(i)), 1) << i;
    EXPECT_EQ(delivered.count(QStringLiteral("err%1\n").arg(i)), 1) << i;
  }
  // Every delivered chunk is in the result, and nothing else is: the
  // remainders after exit (none here besides what was delivered) only add.
  EXPECT_EQ(text, delivered.trimmed());
}

TEST(ProcessRunner, TwoCallsInFlightKeepTheirOwnText) {
  const QStringList slow{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         QStringLiteral("printf slow1; sleep 0.4; printf ' slow2'")};
  const QStringList fast{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         QStringLiteral("sleep 0.1; printf fast >&2")};
  auto both = [&]() -> QCoro::Task<QStringList> {
    auto first = ProcessRunner::shared().runAndCapture(slow);
    auto second = ProcessRunner::shared().runAndCapture(fast);
    const QString a = co_await first;
    const QString b = co_await second;
    co_return QStringList{a, b};
  };
  QElapsedTimer timer;
  timer.start();
  const QStringList results = tessaro::test::awaitTask(both());
  EXPECT_EQ(results, (QStringList{"slow1 slow2", "fast"}));
  // Overlapped rather than one after the other (0.4 + 0.1 s).
  EXPECT_LT(timer.elapsed(), 2000);
}

TEST(ProcessRunner, LargeOutputDoesNotStallTheChild) {
  // 20 MB on standard output, then a marker on standard error.
  const QString text = capture("head -c 20000000 /dev/zero | tr '\\0' 'x'; printf '\\nend' >&2");
  EXPECT_EQ(text.size(), 20'000'000 + 4);
  EXPECT_TRUE(text.endsWith("x\nend"));
  EXPECT_EQ(text.count(QLatin1Char('x')), 20'000'000);
}
