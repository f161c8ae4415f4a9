#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QThread>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(ContentView, WelcomeTextHasItsExactSymbols) {
  const QString text = ContentView::welcomeText();
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 17);
  EXPECT_EQ(lines[0], "    ");
  for (int empty : {2, 4, 11, 15}) EXPECT_TRUE(lines[empty].isEmpty()) << empty;
  EXPECT_EQ(lines[3], QStringLiteral(u"\u26A0 Important Information:"));
  EXPECT_EQ(lines[6], QStringLiteral(u"2. Cluster Size \u2013 controls how data is stored:"));
  EXPECT_TRUE(
      lines[8].startsWith(QStringLiteral(u"    -> Larger cluster (16KB, 32KB, 64KB) \u2192")));
  EXPECT_EQ(lines[12], QStringLiteral(u"\U0001F6AB Warning:"));
  EXPECT_TRUE(lines[16].startsWith(QStringLiteral(u"\u2714 Safe Tip: If you are unsure")));
  EXPECT_EQ(text.count(QChar(0x2013)), 2);
  EXPECT_EQ(text.count(QChar(0x2192)), 2);
  EXPECT_FALSE(text.contains(QChar(0xFE0F))) << "no variation selectors";
}

TEST(ContentView, EnableRulesFollowSelectionAndBusy) {
  auto view = makeView("2");
  Controls c(*view);
  EXPECT_EQ(c.enabledButtons(), "refresh");
  view->show();
  QTRY_VERIFY_WITH_TIMEOUT(!view->isBusy(), 10000);
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");

  view->setBusy(true);
  EXPECT_EQ(c.enabledButtons(), "");
  EXPECT_FALSE(c.busy->isHidden());
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
  QTRY_COMPARE(view->statusLog(), expected.join('\n'));
  QTRY_COMPARE(Controls(*view).log->toPlainText(), view->statusLog());
}

TEST(ContentView, LogWrapsAndFollowsItsEnd) {
  auto view = makeView("0");
  view->show();
  QTRY_VERIFY(!view->isBusy());
  const QString longLine = QString("wrapping words ").repeated(40);
  for (int i = 0; i < 200; ++i) view->appendLog(i % 10 ? QString::number(i) : longLine);
  QTRY_VERIFY(view->statusLog().endsWith("\n199"));
  QScrollBar* bar = Controls(*view).log->verticalScrollBar();
  QTRY_COMPARE(bar->value(), bar->maximum());
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(Controls(*view).log->horizontalScrollBar()->maximum(), 0);
  bar->setValue(0);  // the user scrolls back; the next change returns to the end
  view->appendLog("last");
  QTRY_COMPARE(bar->value(), bar->maximum());
}
