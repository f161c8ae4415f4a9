// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
void showAndSettle(ContentView& view) {
  view.show();
  EXPECT_TRUE(view.isBusy()) << "busy from the moment the window appears";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isBusy(); }, 10000))
      << "still not so after 10000 ms: !view.isBusy()";
}

void pressRefresh(ContentView& view) {
  QSignalSpy finished(&view, &ContentView::workflowFinished);
  Controls(view).refresh->click();
  EXPECT_TRUE(view.isBusy());
  EXPECT_EQ(view.statusLog(), "Refreshing drives...");
  ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
  EXPECT_FALSE(view.isBusy());
}
}  // namespace

TEST(RefreshWorkflow, CountsAndSelectsTheFirstDriveAndAFailureKeepsBoth) {
  auto v = makeView("2");
  showAndSettle(*v);
  Controls c(*v);
  const QList<Drive>& drives = v->diskManager().drives();
  ASSERT_EQ(drives.size(), 2) << v->statusLog().toStdString();
  EXPECT_EQ(v->statusLog(), ContentView::welcomeText()) << "the start-up refresh says nothing";
  EXPECT_EQ(c.picker->itemText(1), drives[1].description);
  Drive lookalike = drives[1];  // same drive, another record: not an entry
  lookalike.id = QUuid::createUuid();
  v->setSelectedDrive(lookalike);
  EXPECT_EQ(c.picker->currentIndex(), -1);

  for (const char* attached : {"2", "1", "0", "2"}) {
    SCOPED_TRACE(attached);
    if (!drives.isEmpty()) v->setSelectedDrive(drives.last());
    attachDrives(attached);
    pressRefresh(*v);
    EXPECT_EQ(v->statusLog(), QString("Found %1 external/removable drive(s).").arg(attached));
    ASSERT_EQ(drives.size(), QString(attached).toInt());
    EXPECT_EQ(c.picker->count(), drives.size());
    EXPECT_EQ(v->selectedDrive(), drives.isEmpty() ? std::nullopt : std::optional(drives[0]));
    EXPECT_EQ(c.picker->currentIndex(), drives.isEmpty() ? -1 : 0);
    EXPECT_EQ(c.enabledButtons(), drives.isEmpty() ? "refresh" : "refresh format info check");
  }

  v->setSelectedDrive(drives[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);
  const QList<Drive> before = drives;
  attachDrives("broken");
  pressRefresh(*v);
  EXPECT_TRUE(v->statusLog().startsWith("Error refreshing drives: ") &&
              !v->statusLog().contains('\n'))
      << v->statusLog().toStdString();
  EXPECT_EQ(drives, before);
  EXPECT_EQ(v->selectedDrive(), before[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");
}

TEST(RefreshWorkflow, AFailedStartUpRefreshReplacesTheWelcomeTextAndRunsOnce) {
  auto v = makeView("broken");
  QSignalSpy finished(v.get(), &ContentView::workflowFinished);
  showAndSettle(*v);
  EXPECT_TRUE(v->statusLog().startsWith("Error refreshing drives: "));
  EXPECT_FALSE(v->selectedDrive().has_value());
  v->hide();
  v->show();
  QTest::qWait(50);
  EXPECT_EQ(finished.count(), 1);
}

TEST(RefreshWorkflow, WindowClosedOrDestroyedDuringARefreshStaysUntilItEnds) {
  auto destroyed = makeView("2", "0.3");
  QPointer<ContentView> closed = makeView("2", "0.3").release();
  closed->setAttribute(Qt::WA_DeleteOnClose);
  closed->show();
  destroyed->show();
  ASSERT_TRUE(closed->isBusy() && destroyed->isBusy());
  // Closing cancels the refresh, so the window may go soon after; it is
  // hidden at once and deleted only once the refresh has ended.
  closed->close();
  ASSERT_TRUE(closed);
  EXPECT_FALSE(closed->isVisible()) << "hidden at once";
  destroyed.reset();  // waits for its refresh, which resumes into the view
  ASSERT_TRUE(QTest::qWaitFor([&] { return !closed; }, 10000))
      << "still not so after 10000 ms: !closed";
  attachDrives("2");
}
