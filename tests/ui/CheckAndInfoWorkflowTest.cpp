// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "drives/DiskManager.h"
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
