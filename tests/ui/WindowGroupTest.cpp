// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include "ViewFixture.h"
#include "exec/PkexecRunner.h"
#include "ui/WindowGroup.h"

using namespace tessaro;
using namespace tessaro::test;

// Quit closes each window as its close button does: while a format runs it
// asks first, and a window whose user keeps the format stays.
TEST(WindowGroup, QuitAsksFirstWhileAFormatRuns) {
  attachDrives("2");
  ProcessRunner runner;
  runner.setPrivilegedRunner(std::make_unique<PkexecRunner>(
      QStringLiteral(TESSARO_FIXTURES_DIR "/ui/elevate-and-wait"), true));
  WindowGroup group([&] {
    const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/ui/");
    return std::make_unique<DiskManager>(
        std::make_unique<LinuxDiskTools>(fixtures + "lsblk", fixtures + "sysfs"), runner);
  });
  QPointer<ContentView> window = group.openWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible() && !window->isBusy(); }, 10000));
  window->setConfirmation([](const Drive&) { return true; });
  QStringList asked;
  bool stop = false;
  window->setStopConfirmation([&](const QString& question) {
    asked << question;
    return stop;
  });
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  window->formatSelectedDrive();
  ASSERT_TRUE(window->isBusy());
  QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].contains("Stop it and close the window?")) << asked[0].toStdString();
  EXPECT_TRUE(window->isVisible()) << "the user kept the format";
  stop = true;
  QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(asked.size(), 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window; }, 10000));
}
