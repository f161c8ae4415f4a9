// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

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
