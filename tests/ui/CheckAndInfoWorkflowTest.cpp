// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "exec/PkexecRunner.h"
#include "ui/ContentView.h"

using namespace tessaro;
using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {
const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/");

// A window over macOS's tools with stand-ins for diskutil (which finds
// disk4s1) and for the administrator rights (the elevation program).
class CheckAndInfoWorkflow : public ::testing::Test {
 protected:
  void useElevation(const QString& fixture) {
    runner.setPrivilegedRunner(std::make_unique<PkexecRunner>(kFixtures + fixture, true));
    view = std::make_unique<ContentView>(std::make_unique<DiskManager>(
        std::make_unique<MacDiskTools>(kFixtures + "PartitionLookup/diskutil"), runner));
    view->setSelectedDrive(Drive{{}, "disk4", "/dev/disk4", "32 GB Ultra (disk4)"});
  }

  // Presses a workflow's button and waits for its end.
  std::string logAfter(void (ContentView::*action)()) {
    QSignalSpy finished(view.get(), &ContentView::workflowFinished);
    (view.get()->*action)();
    EXPECT_TRUE(view->isBusy());
    EXPECT_TRUE(finished.wait(10000));
    QCoreApplication::processEvents();  // the appends queued before the end
    EXPECT_FALSE(view->isBusy());
    return view->statusLog().toStdString();
  }

  ProcessRunner runner;
  std::unique_ptr<ContentView> view;
};
}  // namespace

TEST_F(CheckAndInfoWorkflow, RefusedRightsEndInOneErrorLine) {
  useElevation("Repair/elevate-dismissed");
  // The window is not the active one: a check that took longer than the
  // limit tells the desktop how it ended; an info report never does.
  QStringList notices;
  view->setFinishNotifier(
      [&](const QString& summary, const QString& body) { notices << summary + ": " + body; },
      std::chrono::milliseconds(0));
  EXPECT_EQ(logAfter(&ContentView::checkSelectedDrive),
            "Running disk checking operation on /dev/disk4...\n"
            "\u274C Error: Authorization failed (126): Request dismissed");
  EXPECT_EQ(logAfter(&ContentView::showDriveInfo),
            "Reading info for /dev/disk4...\n\u274C Error: Authorization failed (126): Request "
            "dismissed");
  EXPECT_EQ(notices, QStringList{"Check did not finish: \u274C Error: Authorization failed (126): "
                                 "Request dismissed"});
  view->setFinishNotifier([&](const QString&, const QString&) { notices << "again"; },
                          std::chrono::hours(1));
  logAfter(&ContentView::checkSelectedDrive);
  EXPECT_EQ(notices.size(), 1) << "a quick check says nothing";
}

TEST_F(CheckAndInfoWorkflow, InfoReportArrivesInOnePiece) {
  useElevation("InfoReport/elevate-and-print-plists");
  QSignalSpy changes(view.get(), &ContentView::statusLogChanged);
  const std::string log = logAfter(&ContentView::showDriveInfo);
  EXPECT_EQ(changes.count(), 2);  // the start line, then the whole report
  EXPECT_THAT(log, StartsWith("Reading info for /dev/disk4...\nDevice: /dev/disk4\n"));
  EXPECT_THAT(log, EndsWith("\nFilesystem Block Size: 32768 Bytes"));
}

// A drive pulled after it was listed: the helper finds no device of its name
// (its status 75). Show Info, Check and Format say so in one line of the
// user's words, none of the helper's, and the list lets the drive go without
// saying it again.
TEST(PulledDriveWorkflow, TheDriveIsNoLongerAttachedAndLeavesTheList) {
  QTemporaryDir dir;
  QFile said(dir.filePath("said"));
  ASSERT_TRUE(said.open(QIODevice::WriteOnly));
  said.write(
      "@@tessaro-event@@ {\"event\":\"failure\",\"kind\":\"noSuchDevice\",\"written\":false,"
      "\"tool\":\"\",\"status\":75,\"message\":\"Refused: there is no block device named "
      "sdb.\"}\n");
  said.close();
  qputenv("TESSARO_TEST_SAY", QFile::encodeName(said.fileName()));
  qputenv("TESSARO_TEST_STATUS", "75");
  const auto done = qScopeGuard([] {
    qunsetenv("TESSARO_TEST_SAY");
    qunsetenv("TESSARO_TEST_STATUS");
  });
  ProcessRunner runner;
  runner.setPrivilegedRunner(
      std::make_unique<PkexecRunner>(kFixtures + "Jobs/elevate-and-say", true));
  const QString ui = kFixtures + "ui/";
  ContentView view(std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>(ui + "lsblk", ui + "sysfs", "/opt/helper"), runner));
  view.setConfirmation([](const Drive&) { return true; });
  const auto waitForEnd = [&](void (ContentView::*action)()) {
    QSignalSpy finished(&view, &ContentView::workflowFinished);
    (view.*action)();
    EXPECT_TRUE(finished.wait(10000));
  };
  for (const auto action : {&ContentView::showDriveInfo, &ContentView::checkSelectedDrive,
                            &ContentView::formatSelectedDrive}) {
    qputenv("TESSARO_UI_DRIVES", "2");
    waitForEnd(&ContentView::refreshDrives);
    ASSERT_TRUE(view.selectedDrive());
    ASSERT_EQ(view.selectedDrive()->bsdName, "sdb");
    qputenv("TESSARO_UI_DRIVES", "0");  // pulled
    waitForEnd(action);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.selectedDrive(); }, 10000))
        << "still listed: " << view.statusLog().toStdString();
    QCoreApplication::processEvents();
    const QString log = view.statusLog();
    EXPECT_TRUE(log.endsWith("Error: The drive is no longer attached.")) << log.toStdString();
    EXPECT_FALSE(log.contains("Refused:")) << log.toStdString();
    EXPECT_FALSE(log.contains("exit status")) << log.toStdString();
    EXPECT_FALSE(log.contains("Drive removed")) << log.toStdString();
    EXPECT_EQ(view.diskManager().drives().size(), 0);
  }
}
