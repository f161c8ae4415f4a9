// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <QFile>
#include <QRegularExpression>
#include <map>

#include "Capability.h"
#include "SecurityTest.h"
#include "contract/HelperEvent.h"

// One run of the helper over several loop drives at once: each drive is
// worked on as in a run of its own, and one drive's refusal or cancel leaves
// the others' runs alone.

namespace tessaro::security {
namespace {

// What the batch told of each disk: its finished status, its events, and its
// text lines (those after a lines event naming it); "" holds what named none.
struct Told {
  std::map<std::string, int> finished;
  std::map<std::string, std::vector<contract::HelperEvent>> events;
  std::map<std::string, QStringList> text;
};

Told toldBy(const HelperRun::Result& result) {
  Told told;
  std::string linesOf;
  for (const QString& line : result.lines) {
    const auto event = contract::HelperEvent::fromLine(line.toStdString());
    if (!event) {
      told.text[linesOf] << line;
      continue;
    }
    const std::string disk = event->disk().value_or("");
    if (event->get<contract::LinesEvent>()) linesOf = disk;
    if (const auto* finished = event->get<contract::FinishedEvent>())
      told.finished[disk] = finished->status;
    told.events[disk].push_back(*event);
  }
  return told;
}

// Whether one of a disk's events is a T.
template <typename T>
bool toldOf(const Told& told, const QString& disk) {
  for (const contract::HelperEvent& event : told.events.at(disk.toStdString()))
    if (event.get<T>()) return true;
  return false;
}

TEST_F(SecurityTest, ABatchWorksOnEachDriveAsARunOfItsOwn) {
  LoopDisk first, second, readOnly({.readOnly = true});
  ASSERT_TRUE(first.ready() && second.ready() && readOnly.ready());
  const QString untouched = readOnly.hash();

  const HelperRun::Result result =
      HelperRun::run({"batch", "format", first.name().toUtf8(), readOnly.name().toUtf8(),
                      second.name().toUtf8(), "--", "CLASS", "default"});
  const Told told = toldBy(result);

  EXPECT_EQ(result.status, C::batchIncomplete) << describe(result);
  EXPECT_EQ(told.events.count(""), 0u) << "an event that names no disk; " << describe(result);
  EXPECT_EQ(told.finished.at(first.name().toStdString()), C::success) << describe(result);
  EXPECT_EQ(told.finished.at(second.name().toStdString()), C::success) << describe(result);
  EXPECT_EQ(told.finished.at(readOnly.name().toStdString()), C::refusedDevice) << describe(result);
  EXPECT_EQ(first.fatLabel(), QStringLiteral("FAT32 CLASS"));
  EXPECT_EQ(second.fatLabel(), QStringLiteral("FAT32 CLASS"));
  EXPECT_EQ(readOnly.hash(), untouched) << "the refused drive was written to";
  // Each drive's text reaches the caller under its own name: its own tools,
  // no other drive's.
  for (const LoopDisk* disk : {&first, &second}) {
    const QStringList commands = commandLines(told.text.at(disk->name().toStdString()));
    EXPECT_FALSE(commands.filter(QStringLiteral("mkfs.fat")).isEmpty()) << describe(result);
    const QRegularExpression own(QStringLiteral("/dev/") + disk->name() +
                                 QStringLiteral("(p[0-9]+)?( |$)"));
    for (const QString& command : commands)
      EXPECT_TRUE(command.contains(own)) << command.toStdString();
  }
  EXPECT_TRUE(toldOf<contract::FailureEvent>(told, readOnly.name()));
  EXPECT_FALSE(toldOf<contract::WritingEvent>(told, readOnly.name()));
}

TEST_F(SecurityTest, ABatchStopsOneDriveOrEveryDriveAsAsked) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  // fsck.fat stands still until it is ended, so that the cancel finds every
  // drive's run in its tool.
  QTemporaryDir dir;
  QFile standIn(dir.filePath(QStringLiteral("fsck.fat")));
  ASSERT_TRUE(dir.isValid() && standIn.open(QIODevice::WriteOnly));
  standIn.write("#!/bin/sh\nexec sleep 600\n");
  standIn.close();
  ASSERT_TRUE(standIn.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
  LoopDisk first, second;
  ASSERT_TRUE(first.ready() && second.ready());
  const QString tool = QStringLiteral("/usr/sbin/fsck.fat");
  HelperRun run({"batch", "check", first.partitionName().toUtf8(),
                 second.partitionName().toUtf8(), "--"},
                {.hiddenTool = tool, .toolStandIn = standIn.fileName()});
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
  ASSERT_TRUE(run.running());
  run.send(QByteArray(C::cancelRequest) + '\n');
  const HelperRun::Result result = run.finish(120000);
  const Told told = toldBy(result);
  EXPECT_EQ(result.status, C::batchIncomplete) << describe(result);
  EXPECT_EQ(told.finished.at(first.partitionName().toStdString()), C::cancelled) << describe(result);
  EXPECT_EQ(told.finished.at(second.partitionName().toStdString()), C::cancelled)
      << describe(result);
}

}  // namespace
}  // namespace tessaro::security
