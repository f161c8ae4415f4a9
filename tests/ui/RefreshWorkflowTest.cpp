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

// A list begun while the window is built is in its first frame: shown, the
// window has its drives before the event loop turns once; later windows list
// theirs after they appear.
TEST(RefreshWorkflow, AListBegunBeforeTheWindowIsInItsFirstFrame) {
  attachDrives("2");
  auto begun = fixtureDiskManager();
  begun->beginRefresh();
  ContentView first(std::move(begun));
  first.show();
  EXPECT_FALSE(first.isBusy());
  EXPECT_EQ(Controls(first).picker->count(), 2);
  EXPECT_EQ(first.selectedDrive(), first.diskManager().drives().value(0));
  EXPECT_EQ(first.statusLog(), ContentView::welcomeText());

  ContentView later(fixtureDiskManager());
  later.show();
  EXPECT_TRUE(later.isBusy());
  EXPECT_EQ(Controls(later).picker->count(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !later.isBusy(); }, 10000));
  EXPECT_EQ(Controls(later).picker->count(), 2);
}
