// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "ViewFixture.h"
#include "exec/PkexecRunner.h"
#include "ui/WindowGroup.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(WindowGroup, NewWindowShortcutOpensAWindowWithStateOfItsOwn) {
  attachDrives("2");
  WindowGroup group(&fixtureDiskManager);
  QPointer<ContentView> first = group.openWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return first->isVisible() && !first->isBusy(); }, 10000))
      << "still not so after 10000 ms: first->isVisible() && !first->isBusy()";
  ASSERT_EQ(first->diskManager().drives().size(), 2);
  first->setStatusLog("first window's log");
  first->setSelectedDrive(first->diskManager().drives()[1]);

  QPointer<ContentView> second;
  QObject::connect(&group, &WindowGroup::windowOpened, [&](ContentView* w) { second = w; });
  first->activateWindow();
  QTest::keySequence(first, QKeySequence::New);
  ASSERT_TRUE(second);
  EXPECT_NE(&second->diskManager(), &first->diskManager());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !second->isBusy(); }, 10000))
      << "still not so after 10000 ms: !second->isBusy()";
  EXPECT_EQ(second->statusLog(), ContentView::welcomeText());
  EXPECT_EQ(second->selectedDrive(), second->diskManager().drives().value(0));
  EXPECT_EQ(first->selectedDrive(), first->diskManager().drives()[1]);
  EXPECT_EQ(first->statusLog(), "first window's log");

  second->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !second; }, 5000))
      << "still not so after 5000 ms: !second";
  EXPECT_TRUE(first);
}

TEST(WindowGroup, CloseQuitAndAboutKeys) {
  attachDrives("2");
  WindowGroup group(&fixtureDiskManager);
  QPointer<ContentView> first = group.openWindow();
  QPointer<ContentView> second = group.openWindow();
  QPointer<ContentView> third = group.openWindow();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !first->isBusy() && !second->isBusy() && !third->isBusy(); }, 10000));

  // F1: name, version, license and the tools it runs.
  QString about;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box);
    about = box->windowTitle() + '\n' + box->text();
    box->accept();
  });
  third->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(third));
  QTest::keySequence(third, QKeySequence::HelpContents);
  EXPECT_TRUE(about.startsWith("About Tessaro\n")) << about.toStdString();
  for (const char* part : {TESSARO_VERSION_FOR_TESTS, "GNU General Public License", "mkfs.fat",
                           "fsck.fat", "sfdisk", "lsblk"})
    EXPECT_TRUE(about.contains(part)) << part;

  QElapsedTimer clock;
  clock.start();
  third->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(third));
  QTest::keyClick(third, Qt::Key_W, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !third; }));
  EXPECT_TRUE(first && second);
  first->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(first));
  QTest::keyClick(first, Qt::Key_Q, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !first && !second; }));
  EXPECT_LT(clock.elapsed(), 2000) << "closed by the keys, not by a timeout";
}

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
