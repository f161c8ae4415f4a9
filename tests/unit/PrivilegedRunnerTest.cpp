#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <QFile>
#include <QMutex>
#include <QTemporaryDir>

#include "exec/Error.h"
#include "exec/ProcessRunner.h"
#include "helper/HelperVerbs.h"

using namespace tessaro;

namespace {

// Real child processes throughout: stand-in elevation programs written as
// shell scripts, and /bin/sh as the tool they start.
class PrivilegedRunnerTest : public ::testing::Test {
 protected:
  QString script(const QString& name, const QString& body) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
  }

  // Runs /bin/sh -c line through the given elevation program. The error is
  // caught inside a coroutine: QCoro 0.8's waitFor never returns when the
  // awaited task throws after it has suspended.
  std::optional<PrivilegedRunResult> run(const QString& elevation, const QString& line) {
    ProcessRunner runner;
    runner.setElevationProgram(elevation, true);
    auto guarded = [&]() -> QCoro::Task<std::optional<PrivilegedRunResult>> {
      const QStringList args{QStringLiteral("-c"), line};
      try {
        co_return co_await runner.run(QStringLiteral("/bin/sh"), args,
                                      [this](const QString& chunk) {
                                        QMutexLocker lock(&mutex_);
                                        chunks_ << chunk;
                                      });
      } catch (const Error& error) {
        error_ = error.description();
        code_ = error.code();
        co_return std::nullopt;
      }
    };
    return QCoro::waitFor(guarded());
  }

  QString granting() { return script(QStringLiteral("grant"), QStringLiteral("exec \"$@\"")); }

  static QString marker() {
    return QStringLiteral("printf '%s\\n' '") + QLatin1String(helper::kStartedMarker) +
           QStringLiteral("'; ");
  }

  QTemporaryDir dir_;
  QMutex mutex_;
  QStringList chunks_;
  QString error_;
  qint64 code_ = 0;
};

TEST_F(PrivilegedRunnerTest, DeliversLargeOutputInChunksOfAtMost4096BytesWithoutTheMarker) {
  const auto result =
      run(granting(), marker() + QStringLiteral("head -c 10000 /dev/zero | tr '\\0' x"));
  ASSERT_TRUE(result.has_value()) << error_.toStdString();
  EXPECT_EQ(result->exitStatus, 0);
  ASSERT_GE(chunks_.size(), 3);
  for (const QString& chunk : chunks_) EXPECT_LE(chunk.toUtf8().size(), 4096);
  EXPECT_EQ(chunks_.join(QString()), QString(10000, QLatin1Char('x')));
}

TEST_F(PrivilegedRunnerTest, ConsumesAMarkerSplitAcrossReadsAndIgnoresStandardError) {
  const QString line = QStringLiteral(
      "printf '@@tessaro-help'; sleep 0.2; printf 'er-started@@\\n';"
      " echo hidden >&2; printf 'hello'");
  const auto result = run(granting(), line);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(chunks_.join(QString()), QStringLiteral("hello"));
}

TEST_F(PrivilegedRunnerTest, DismissedDialogIsAnAuthorizationFailureWithNothingDelivered) {
  EXPECT_FALSE(run(script(QStringLiteral("dismiss"), QStringLiteral("exit 126")),
                   marker() + QStringLiteral("echo never"))
                   .has_value());
  EXPECT_EQ(error_, QStringLiteral("Authorization failed (126)"));
  EXPECT_EQ(code_, 126);
  EXPECT_TRUE(chunks_.isEmpty());
}

TEST_F(PrivilegedRunnerTest, RefusalIsAnAuthorizationFailure) {
  EXPECT_FALSE(
      run(script(QStringLiteral("refuse"), QStringLiteral("exit 127")), QStringLiteral("echo x"))
          .has_value());
  EXPECT_EQ(error_, QStringLiteral("Authorization failed (127)"));
  EXPECT_TRUE(chunks_.isEmpty());
}

TEST_F(PrivilegedRunnerTest, HelperExiting127AfterItsMarkerIsItsOwnStatus) {
  const auto result = run(granting(), marker() + QStringLiteral("echo tool failed; exit 127"));
  ASSERT_TRUE(result.has_value()) << error_.toStdString();
  EXPECT_EQ(result->exitStatus, 127);
  EXPECT_EQ(chunks_.join(QString()), QStringLiteral("tool failed\n"));
}

TEST_F(PrivilegedRunnerTest, MissingPkexecSaysToInstallPolkit) {
  EXPECT_FALSE(run(dir_.filePath(QStringLiteral("no-pkexec")), QStringLiteral("echo x")));
  EXPECT_TRUE(error_.startsWith(QStringLiteral("Authorization failed (127)")));
  EXPECT_TRUE(error_.contains(QStringLiteral("polkit")));
  EXPECT_TRUE(chunks_.isEmpty());
}

TEST_F(PrivilegedRunnerTest, InvalidUtf8ChunkIsDroppedAndSignalsBecome128PlusN) {
  const auto result = run(granting(), marker() + QStringLiteral("printf '\\377'; kill -9 $$"));
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->exitStatus, 128 + 9);
  EXPECT_TRUE(chunks_.isEmpty());
}

}  // namespace
