// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QThread>

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

TEST(ContentView, AppendsArriveExactlyAndInCallOrderFromAnyThread) {
  auto view = makeView();
  view->setStatusLog("start");
  view->appendLog("0");
  EXPECT_EQ(view->statusLog(), "start") << "queued even on the main thread";
  constexpr int lines = 20000;
  std::unique_ptr<QThread> worker(QThread::create([&view] {
    for (int i = 1; i < lines; ++i) view->appendLog(QString::number(i));
  }));
  worker->start();
  worker->wait();
  QStringList expected{"start"};
  for (int i = 0; i < lines; ++i) expected << QString::number(i);
  QTest::qWaitFor([&] { return (view->statusLog()) == (expected.join('\n')); }, 5000);
  ASSERT_EQ(view->statusLog(), expected.join('\n'));
  QTest::qWaitFor([&] { return (Controls(*view).log->toPlainText()) == (view->statusLog()); },
                  5000);
  ASSERT_EQ(Controls(*view).log->toPlainText(), view->statusLog());
}

TEST(ContentView, LogWrapsAndFollowsItsEnd) {
  auto view = makeView("0");
  view->show();
  for (int i = 0; i < 200; ++i)
    view->appendLog(QString("wrapping words ").repeated(i % 10 * 8 + 1));
  QScrollBar* bar = Controls(*view).log->verticalScrollBar();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }, 5000))
      << "still not so after 5000 ms: bar->maximum() > 0 && bar->value() == bar->maximum()";
  EXPECT_EQ(Controls(*view).log->horizontalScrollBar()->maximum(), 0);
  bar->setValue(0);  // the user scrolls back; the next change returns to the end
  view->appendLog("last");
  QTest::qWaitFor([&] { return (bar->value()) == (bar->maximum()); }, 5000);
  ASSERT_EQ(bar->value(), bar->maximum());
}

// The welcome text is read from its first line; what comes after it is followed.
TEST(ContentView, TheLogOpensAtTheTopOfTheWelcomeText) {
  auto view = makeView("2");
  view->resize(view->minimumSize());
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));
  LogView* log = Controls(*view).log;
  QScrollBar* bar = log->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0) << "the welcome text is longer than the log at this size";
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(log->cursorForPosition(QPoint(4, 4)).blockNumber(), 0);
  view->appendLog("a later line");
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }))
      << "waited for bar->value()";
}
