// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "ViewFixture.h"
#include "ui/WindowGroup.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(WindowGroup, NewWindowShortcutOpensAWindowWithStateOfItsOwn) {
  attachDrives("2");
  WindowGroup group(&fixtureDiskManager);
  QPointer<ContentView> first = group.openWindow();
  QTRY_VERIFY_WITH_TIMEOUT(first->isVisible() && !first->isBusy(), 10000);
  ASSERT_EQ(first->diskManager().drives().size(), 2);
  first->setStatusLog("first window's log");
  first->setSelectedDrive(first->diskManager().drives()[1]);

  QPointer<ContentView> second;
  QObject::connect(&group, &WindowGroup::windowOpened, [&](ContentView* w) { second = w; });
  first->activateWindow();
  QTest::keySequence(first, QKeySequence::New);
  ASSERT_TRUE(second);
  EXPECT_NE(&second->diskManager(), &first->diskManager());
  QTRY_VERIFY_WITH_TIMEOUT(!second->isBusy(), 10000);
  EXPECT_EQ(second->statusLog(), ContentView::welcomeText());
  EXPECT_EQ(second->selectedDrive(), second->diskManager().drives().value(0));
  EXPECT_EQ(first->selectedDrive(), first->diskManager().drives()[1]);
  EXPECT_EQ(first->statusLog(), "first window's log");

  second->close();
  QTRY_VERIFY(!second);
  EXPECT_TRUE(first);
}

TEST(WindowGroup, CloseQuitAndAboutKeys) {
  attachDrives("2");
  WindowGroup group(&fixtureDiskManager);
  QPointer<ContentView> first = group.openWindow();
  QPointer<ContentView> second = group.openWindow();
  QPointer<ContentView> third = group.openWindow();
  QTRY_VERIFY_WITH_TIMEOUT(!first->isBusy() && !second->isBusy() && !third->isBusy(), 10000);

  // F1: name, version, license and the tools it runs.
  QString about;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box);
    about = box->windowTitle() + '\n' + box->text();
    box->accept();
  });
  third->activateWindow();
  QTest::keySequence(third, QKeySequence::HelpContents);
  EXPECT_TRUE(about.startsWith("About Tessaro\n")) << about.toStdString();
  for (const char* part : {TESSARO_VERSION_FOR_TESTS, "GNU General Public License", "mkfs.fat",
                           "fsck.fat", "sfdisk", "lsblk"})
    EXPECT_TRUE(about.contains(part)) << part;

  QTest::keyClick(third, Qt::Key_W, Qt::ControlModifier);
  QTRY_VERIFY(!third);
  EXPECT_TRUE(first && second);
  QTest::keyClick(first, Qt::Key_Q, Qt::ControlModifier);
  QTRY_VERIFY(!first && !second);
}
