// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(ContentView, EnableRulesFollowSelectionAndBusy) {
  auto view = makeView("2");
  Controls c(*view);
  EXPECT_EQ(c.enabledButtons(), "refresh");
  view->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000))
      << "still not so after 10000 ms: !view->isBusy()";
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");

  auto* cancel = child<StyledButton>(*view, "cancelButton");
  EXPECT_TRUE(cancel->isHidden());
  view->setBusy(true);
  EXPECT_EQ(c.enabledButtons(), "");
  EXPECT_FALSE(c.busy->isHidden());
  EXPECT_TRUE(!cancel->isHidden() && cancel->isEnabled());
  EXPECT_TRUE(child<StyledButton>(*view, "saveLogButton")->isEnabled());
  EXPECT_EQ(c.busy->elapsedText(), "0 s");
  // The picker and the fields still take input while busy.
  c.picker->setFocus();
  QTest::keyClick(c.picker, Qt::Key_Down);
  EXPECT_EQ(view->selectedDrive(), view->diskManager().drives().value(1));
  QTest::keyClicks(c.volume, "my usb");
  EXPECT_EQ(view->label(), "my usb") << "typed as is, no upper-casing";
  c.cluster->setFocus();
  QTest::keyClick(c.cluster, Qt::Key_Down);
  EXPECT_EQ(view->cluster(), ClusterOption::C512);

  view->setBusy(false);
  EXPECT_TRUE(c.busy->isHidden());
  EXPECT_TRUE(cancel->isHidden());
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");
  view->setSelectedDrive(std::nullopt);
  EXPECT_EQ(c.enabledButtons(), "refresh");
}

