// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Await.h"
#include "RecordingReport.h"
#include "exec/PkexecRunner.h"
#include "exec/ProcessRunner.h"
#include "jobs/Job.h"

namespace tessaro::test {

inline const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/");

// Runs jobs through a stand-in for pkexec (by default one that prints what
// say() wrote and exits with status()) and records what they report and what
// the stand-in was asked to run.
class JobFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qputenv("TESSARO_TEST_RECORD", dir_.filePath("argv").toLocal8Bit());
    qputenv("TESSARO_TEST_SAY", dir_.filePath("say").toLocal8Bit());
    elevateWith("Jobs/elevate-and-say");
  }
  void TearDown() override {
    for (const char* name : {"TESSARO_TEST_RECORD", "TESSARO_TEST_SAY", "TESSARO_TEST_STATUS"})
      qunsetenv(name);
  }

  void elevateWith(const QString& fixture) {
    runner.setPrivilegedRunner(std::make_unique<PkexecRunner>(kFixtures + fixture, true));
  }
  // What the privileged run prints after the start marker, and its exit status.
  void say(const QByteArray& output, int status = 0) {
    QFile file(dir_.filePath("say"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(output) == output.size());
    qputenv("TESSARO_TEST_STATUS", QByteArray::number(status));
  }

  // The report's calls, consecutive lines() calls taken together as one.
  QStringList mergedReportOf(Job& job) {
    QStringList merged;
    for (const QString& call : reportOf(job)) {
      if (call.startsWith("lines: ") && !merged.isEmpty() && merged.last().startsWith("lines: "))
        merged.last() += '\n' + call.mid(7);
      else
        merged << call;
    }
    return merged;
  }
  // The report's calls; the job's result must agree with them.
  QStringList reportOf(Job& job) {
    RecordingReport report;
    const bool done = awaitTask(job.run(report));
    const QStringList calls = report.calls();
    EXPECT_EQ(done, !calls.filter(QRegularExpression("^failed: ")).size())
        << calls.join('|').toStdString();
    return calls;
  }
  // The privileged run's command line; empty when nothing ran.
  QStringList ranArguments() const {
    QFile file(dir_.filePath("argv"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }

  ProcessRunner runner;

 private:
  QTemporaryDir dir_;
};

}  // namespace tessaro::test
