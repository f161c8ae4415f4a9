// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextBlock>
#include <QThread>

#include "ViewFixture.h"
#include "ui/LogQueue.h"
#include "ui/StatusLog.h"

using namespace tessaro;

namespace {

QStringList numbered(int from, int count) {
  QStringList lines;
  for (int i = from; i < from + count; ++i) lines << QStringLiteral("line %1 caf\u00E9").arg(i);
  return lines;
}

}  // namespace

TEST(StatusLogTest, KeepsTheLastLinesSaysHowManyWentAndSavesThemAll) {
  StatusLog log(5);
  log.replace("start\nsecond");
  log.append(numbered(0, 10));
  EXPECT_EQ(log.droppedLines(), 7);
  EXPECT_EQ(log.totalLines(), 12);
  EXPECT_EQ(log.text(), (QStringList{StatusLog::droppedNotice(7)} + numbered(5, 5)).join('\n'));
  EXPECT_NE(log.saveTo("/nonexistent/dir/log.txt"), std::nullopt);
}

TEST(StatusLogTest, TheViewKeepsABoundedNumberOfBlocksAndTheNoticeOnTop) {
  LogView view(nullptr, 100);
  view.replaceText("start");
  for (int round = 0; round < 10; ++round) view.appendLines(numbered(round * 100, 100));
  // Nothing is shown before the event loop turns.
  EXPECT_EQ(view.document()->blockCount(), 1);
  view.flush();
  const int blocks = view.document()->blockCount();
  EXPECT_LE(blocks, 1 + 110);
  const QString notice = view.document()->firstBlock().text();
  const QRegularExpressionMatch count =
      QRegularExpression("^\\[([0-9,]+) earlier lines").match(notice);
  ASSERT_TRUE(count.hasMatch()) << notice.toStdString();
  // The notice and the blocks after it account for every line.
  EXPECT_EQ(count.captured(1).remove(',').toInt() + blocks - 1, 1001);
  EXPECT_EQ(view.document()->lastBlock().text(), numbered(999, 1).first());
  // Lines never shown are still kept for Save Log.
  EXPECT_EQ(view.record().totalLines(), 1001);
  // A replace starts over without a notice.
  view.replaceText("fresh\nlog");
  EXPECT_EQ(view.toPlainText(), "fresh\nlog");
}

// Two deliveries on their way would run back to back, and the window would
// wait for both before it turned again.
TEST(StatusLogTest, OneDeliveryOfWaitingLinesIsOnItsWayAtATime) {
  LogQueue queue;
  EXPECT_TRUE(queue.push(numbered(0, 3), false));
  EXPECT_FALSE(queue.push(numbered(3, 3), false));
  const LogQueue::Piece first = queue.take(4, 1000);
  EXPECT_EQ(first.lines, numbered(0, 4));
  EXPECT_TRUE(first.more);
  // Lines pushed while the delivery takes pieces, or after it has taken
  // all, wait for it: it ends only when it says so.
  EXPECT_FALSE(queue.push(numbered(6, 1), false));
  EXPECT_EQ(queue.take(100, 1000).lines, numbered(4, 3));
  EXPECT_FALSE(queue.push(numbered(7, 1), false));
  EXPECT_TRUE(queue.endDelivery());
  EXPECT_FALSE(queue.push(numbered(8, 1), false));
  EXPECT_EQ(queue.take(100, 1000).lines, numbered(7, 2));
  EXPECT_FALSE(queue.endDelivery());
  EXPECT_TRUE(queue.push(numbered(9, 1), false));
}

TEST(StatusLogTest, AFloodFromAReadingThreadReachesTheWindowAndTheSavedLogWhole) {
  auto view = test::makeView("0");  // never shown: no start-up refresh, nothing painted
  ASSERT_FALSE(view->isBusy());
  QTemporaryDir dir;
  const QString saved = dir.filePath("saved.txt");
  QString suggested;
  view->setSavePathChooser([&](const QString& name) {
    suggested = name;
    return saved;
  });
  view->setStatusLog("Starting");
  constexpr int total = 150'000;
  QThread* reader = QThread::create([&view] {
    for (int from = 0; from < total; from += 1000) view->appendLogLines(numbered(from, 1000));
  });
  reader->start();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return reader->isFinished() && !view->hasPendingLines(); }, 60000))
      << "still not so after 60000 ms: reader->isFinished() && !view->hasPendingLines()";
  reader->wait();
  delete reader;

  EXPECT_EQ(view->log().totalLines(), total + 1);
  EXPECT_EQ(view->log().droppedLines(), total + 1 - StatusLog::defaultLineLimit);
  const QString shown = view->statusLog();
  EXPECT_TRUE(shown.startsWith(
      "[50,001 earlier lines are not shown here; Save Log\u2026 keeps them all.]\nline 50000 "))
      << shown.left(100).toStdString();
  EXPECT_TRUE(shown.endsWith(numbered(total - 1, 1).first()));

  view->saveLog();
  EXPECT_TRUE(QFileInfo(suggested).fileName().startsWith("Tessaro log "));
  QFile file(saved);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.readAll();
  EXPECT_EQ(written.count('\n'), total);
  EXPECT_TRUE(written.startsWith("Starting\nline 0 caf\xC3\xA9\nline 1 "));
  EXPECT_TRUE(written.endsWith(numbered(total - 1, 1).first().toUtf8()));
}

// Under a flood the log repaints alone: it paints its background in the
// colour of the surface under it, so that a new line scrolls what it shows
// instead of repainting the window and the surface under the log as well.
TEST(StatusLogTest, ANewLineRepaintsTheLogAloneWhichLooksAsTheSurfaceUnderIt) {
  auto view = test::makeView("0");
  view->resize(900, 640);
  test::settle(*view);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->hasPendingLines(); }, 5000));
  test::Controls c(*view);
  auto* surface = test::child(*view, "logSurface");

  const QImage shot = view->grab().toImage();
  const QPoint margin = surface->mapTo(view.get(), QPoint(5, surface->height() / 2));
  const QWidget* page = c.log->viewport();
  const QPoint empty = page->mapTo(view.get(), QPoint(page->width() - 3, page->height() - 3));
  EXPECT_EQ(shot.pixelColor(margin), shot.pixelColor(empty));

  struct PaintCount : QObject {
    QMap<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints[watched];
      return false;
    }
  } count;
  // What the end of the start-up refresh changed is painted first.
  QTest::qWait(50);
  view->installEventFilter(&count);
  surface->installEventFilter(&count);
  for (int i = 0; i < 60; ++i) {
    view->appendLog(QStringLiteral("mkfs.fat: line %1").arg(i));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->hasPendingLines(); }, 5000));
    QTest::qWait(1);
  }
  EXPECT_EQ(count.paints.value(view.get()), 0);
  EXPECT_EQ(count.paints.value(surface), 0);
}
