// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFile>

#include "Capability.h"
#include "SecurityTest.h"
#include "contract/HelperEvent.h"

// One run of the helper over several loop drives at once: one drive's cancel
// leaves the others' runs alone. (A batch's drives each worked on as in a run
// of their own, refused or pulled alone: FormatLoopDeviceTest.)

namespace tessaro::security {
namespace {

TEST_F(SecurityTest, ABatchStopsOneDriveOrEveryDriveAsAsked) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  // fsck.fat stands still until it is ended, so that the cancel finds every
  // drive's run in its tool.
  QTemporaryDir dir;
  const QString standIn = dir.filePath(QStringLiteral("fsck.fat"));
  ASSERT_TRUE(writeProgram(standIn, "#!/bin/sh\nexec sleep 600\n"));
  LoopDisk first, second;
  ASSERT_TRUE(first.ready() && second.ready());
  const QString tool = QStringLiteral("/usr/sbin/fsck.fat");
  HelperRun run({"batch", "check", first.partitionName().toUtf8(),
                 second.partitionName().toUtf8(), "--"},
                {.hiddenTool = tool, .toolStandIn = standIn});
  int started = 0;
  while (started < 2 && run.waitForLine([&](const QString& line) {
    return line.startsWith(QStringLiteral("$ ")) && line.contains(tool);
  }))
    ++started;
  ASSERT_EQ(started, 2) << describe(run.finish());
  // One drive stopped alone; the other's run goes on until the whole batch is.
  run.send(QByteArray(C::cancelRequest) + ' ' + first.partitionName().toUtf8() + '\n');
  ASSERT_TRUE(run.waitForLine([](const QString& line) {
    const auto event = contract::HelperEvent::fromLine(line.toStdString());
    return event && event->get<contract::FinishedEvent>();
  })) << describe(run.finish());
  ASSERT_GT(run.pid(), 0) << "the whole batch ended";
  run.send(QByteArray(C::cancelRequest) + '\n');
  const HelperRun::Result result = run.finish(120000);
  const std::map<std::string, int> finished = toldBy(result.lines).finished;
  EXPECT_EQ(result.status, C::batchIncomplete) << describe(result);
  EXPECT_EQ(finished.at(first.partitionName().toStdString()), C::cancelled) << describe(result);
  EXPECT_EQ(finished.at(second.partitionName().toStdString()), C::cancelled) << describe(result);
}

}  // namespace
}  // namespace tessaro::security
