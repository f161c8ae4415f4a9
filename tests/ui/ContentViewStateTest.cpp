#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(ContentView, StartsWithItsInitialState) {
  auto view = makeView();
  EXPECT_FALSE(view->selectedDrive().has_value());
  EXPECT_TRUE(view->label().isEmpty());
  EXPECT_EQ(view->cluster(), ClusterOption::Default);
  EXPECT_FALSE(view->isBusy());
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
  Controls c(*view);
  EXPECT_EQ(c.log->toPlainText(), ContentView::welcomeText());
  EXPECT_EQ(c.picker->count(), 0);
  EXPECT_EQ(c.picker->currentIndex(), -1);
  EXPECT_EQ(c.volume->placeholderText(), "VOLUME");
  QStringList clusters;
  for (int i = 0; i < c.cluster->count(); ++i) clusters << c.cluster->itemText(i);
  EXPECT_EQ(clusters.join(','), "Default,512,1024,2048,4096,8192,16384,32768,65536");
  EXPECT_EQ(view->minimumSize(), QSize(820, 520));
}

TEST(ContentView, WelcomeTextHasItsSeventeenLinesAndExactSymbols) {
  const QString text = ContentView::welcomeText();
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 17);
  EXPECT_FALSE(text.endsWith('\n'));
  EXPECT_EQ(lines[0], "    ");
  EXPECT_EQ(lines[1], "    Welcome to Tessaro!");
  for (int empty : {2, 4, 11, 15}) EXPECT_TRUE(lines[empty].isEmpty()) << empty;
  EXPECT_EQ(lines[3], QString::fromUtf8("\xE2\x9A\xA0 Important Information:"));
  EXPECT_EQ(lines[12], QString::fromUtf8("\xF0\x9F\x9A\xAB Warning:"));
  EXPECT_TRUE(lines[16].startsWith(QString::fromUtf8("\xE2\x9C\x94 Safe Tip: If you are unsure")));
  EXPECT_FALSE(text.contains(QChar(0xFE0F))) << "no variation selectors";
  EXPECT_EQ(text.count(QChar(0x2013)), 2);
  EXPECT_TRUE(lines[5].contains(QChar(0x2013)) && lines[6].contains(QChar(0x2013)));
  EXPECT_EQ(text.count(QChar(0x2192)), 2);
  EXPECT_TRUE(lines[7].contains(QChar(0x2192)) && lines[8].contains(QChar(0x2192)));
  for (int indented : {7, 8, 9}) EXPECT_TRUE(lines[indented].startsWith("    -> ")) << indented;
  EXPECT_EQ(lines[10],
            "3. Precheck Disk Error - check if the disk has any errors in order to avoid format "
            "issues (Not required for quick format).");
  EXPECT_EQ(lines[14],
            "2. Internal drives are hidden, but double-check the drive letter before formatting.");
}

TEST(ContentView, EnableRulesFollowSelectionAndBusy) {
  auto view = makeView();
  Controls c(*view);
  // No drive: only Refresh Drives can be pressed.
  EXPECT_TRUE(c.refresh->isEnabled());
  EXPECT_FALSE(c.format->isEnabled());
  EXPECT_FALSE(c.info->isEnabled());
  EXPECT_FALSE(c.check->isEnabled());

  view->setSelectedDrive(makeDrive("sdb", "32 GB Stick (sdb)"));
  for (auto* button : {c.refresh, c.format, c.info, c.check}) EXPECT_TRUE(button->isEnabled());

  view->setBusy(true);
  for (auto* button : {c.refresh, c.format, c.info, c.check}) EXPECT_FALSE(button->isEnabled());
  EXPECT_TRUE(c.picker->isEnabled());
  EXPECT_TRUE(c.volume->isEnabled());
  EXPECT_TRUE(c.cluster->isEnabled());

  // The fields still take input while busy.
  QTest::keyClicks(c.volume, "my usb");
  EXPECT_EQ(view->label(), "my usb") << "typed as is, no upper-casing";
  c.cluster->setFocus();
  QTest::keyClick(c.cluster, Qt::Key_Down);
  EXPECT_EQ(view->cluster(), ClusterOption::C512);

  view->setBusy(false);
  for (auto* button : {c.refresh, c.format, c.info, c.check}) EXPECT_TRUE(button->isEnabled());
  view->setSelectedDrive(std::nullopt);
  EXPECT_TRUE(c.refresh->isEnabled());
  EXPECT_FALSE(c.format->isEnabled());
}

TEST(ContentView, BusyShowsAnIndicatorWithElapsedSeconds) {
  auto view = makeView();
  Controls c(*view);
  EXPECT_TRUE(c.busy->isHidden());
  QSignalSpy busy(view.get(), &ContentView::busyChanged);
  view->setBusy(true);
  EXPECT_FALSE(c.busy->isHidden());
  EXPECT_EQ(c.busy->elapsedText(), "0 s");
  view->setBusy(false);
  EXPECT_TRUE(c.busy->isHidden());
  EXPECT_EQ(busy.count(), 2);
}

TEST(ContentView, AppendLogIsQueuedEvenOnTheMainThread) {
  auto view = makeView();
  view->setStatusLog("start");
  view->appendLog("next");
  EXPECT_EQ(view->statusLog(), "start") << "the line waits for the caller's step to end";
  QTRY_COMPARE(view->statusLog(), QString("start\nnext"));
  view->appendLog("");
  view->appendLog("a\nb");
  QTRY_COMPARE(view->statusLog(), QString("start\nnext\n\na\nb"));
  Controls c(*view);
  QTRY_COMPARE(c.log->toPlainText(), view->statusLog());
}

TEST(ContentView, AppendsFromABackgroundThreadArriveInCallOrder) {
  auto view = makeView();
  view->setStatusLog("Starting");
  QThread* worker = QThread::create([&view] {
    view->appendLog("first");
    view->appendLog("second");
  });
  worker->start();
  worker->wait();
  delete worker;
  QTRY_COMPARE(view->statusLog(), QString("Starting\nfirst\nsecond"));
}

TEST(ContentView, ManyAppendsStayExactAndInOrder) {
  auto view = makeView();
  view->setStatusLog("0");
  constexpr int lines = 20000;
  QThread* worker = QThread::create([&view] {
    for (int i = 1; i < lines; ++i) view->appendLog(QString::number(i));
  });
  worker->start();
  worker->wait();
  delete worker;
  QStringList expected;
  for (int i = 0; i < lines; ++i) expected << QString::number(i);
  QTRY_COMPARE(view->statusLog(), expected.join('\n'));
  Controls c(*view);
  QTRY_COMPARE(c.log->document()->blockCount(), lines);
  EXPECT_EQ(c.log->toPlainText(), view->statusLog());
}

TEST(ContentView, ReplacingTheLogDropsPendingAppends) {
  auto view = makeView();
  view->appendLog("old line");
  QTRY_VERIFY(view->statusLog().endsWith("old line"));
  view->setStatusLog("Refreshing drives...");
  Controls c(*view);
  QCoreApplication::processEvents();
  EXPECT_EQ(c.log->toPlainText(), "Refreshing drives...");
}

TEST(ContentView, LogFollowsItsEnd) {
  auto view = makeView();
  view->resize(820, 520);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  Controls c(*view);
  QString longLine = QString("wrapping words ").repeated(40);
  for (int i = 0; i < 200; ++i) view->appendLog(i % 10 ? QString::number(i) : longLine);
  QTRY_VERIFY(view->statusLog().endsWith("\n199"));
  QCoreApplication::processEvents();
  QScrollBar* bar = c.log->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(c.log->horizontalScrollBar()->maximum(), 0) << "long lines wrap";

  bar->setValue(0);  // the user scrolls back; the next change returns to the end
  view->appendLog("last");
  QTRY_COMPARE(bar->value(), bar->maximum());
}
