#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
// Windows over the lsblk stand-in in tests/fixtures/ui; the attached drives
// are chosen per test through the environment the stand-in inherits.
class RefreshWorkflow : public ::testing::Test {
 protected:
  void TearDown() override {
    qunsetenv("TESSARO_UI_DRIVES");
    qunsetenv("TESSARO_UI_DELAY");
  }

  static void attach(const char* drives) { qputenv("TESSARO_UI_DRIVES", drives); }

  static std::unique_ptr<ContentView> view() {
    const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR);
    return makeView(fixtures + "/ui/lsblk", fixtures + "/ui/sysfs");
  }

  static void showAndSettle(ContentView& view) {
    view.show();
    EXPECT_TRUE(view.isBusy()) << "busy from the moment the window appears";
    QTRY_VERIFY_WITH_TIMEOUT(!view.isBusy(), 10000);
  }

  static void pressRefresh(ContentView& view) {
    QSignalSpy finished(&view, &ContentView::workflowFinished);
    Controls(view).refresh->click();
    EXPECT_TRUE(view.isBusy());
    EXPECT_EQ(view.statusLog(), "Refreshing drives...");
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
    EXPECT_FALSE(view.isBusy());
  }
};
}  // namespace

TEST_F(RefreshWorkflow, StartUpRefreshSelectsTheFirstDriveAndKeepsTheWelcomeText) {
  attach("2");
  auto v = view();
  showAndSettle(*v);
  const QList<Drive>& drives = v->diskManager().drives();
  ASSERT_EQ(drives.size(), 2) << v->statusLog().toStdString();
  EXPECT_EQ(v->selectedDrive(), drives[0]);
  EXPECT_EQ(v->statusLog(), ContentView::welcomeText());

  Controls c(*v);
  ASSERT_EQ(c.picker->count(), 2);
  EXPECT_EQ(c.picker->itemText(0), drives[0].description);
  EXPECT_EQ(c.picker->itemText(1), drives[1].description);
  EXPECT_EQ(c.picker->currentIndex(), 0);
  for (auto* button : {c.refresh, c.format, c.info, c.check}) EXPECT_TRUE(button->isEnabled());

  pressRefresh(*v);
  EXPECT_EQ(v->statusLog(), "Found 2 external/removable drive(s).");
}

TEST_F(RefreshWorkflow, CountsAndSelectsForNoneAndOneDrive) {
  attach("1");
  auto v = view();
  showAndSettle(*v);
  Controls c(*v);
  pressRefresh(*v);
  EXPECT_EQ(v->statusLog(), "Found 1 external/removable drive(s).");
  ASSERT_EQ(v->diskManager().drives().size(), 1);
  EXPECT_EQ(v->selectedDrive(), v->diskManager().drives()[0]);
  EXPECT_TRUE(c.format->isEnabled());

  attach("0");
  pressRefresh(*v);
  EXPECT_EQ(v->statusLog(), "Found 0 external/removable drive(s).");
  EXPECT_TRUE(v->diskManager().drives().isEmpty());
  EXPECT_FALSE(v->selectedDrive().has_value());
  EXPECT_EQ(c.picker->count(), 0);
  EXPECT_EQ(c.picker->currentIndex(), -1);
  EXPECT_TRUE(c.refresh->isEnabled());
  EXPECT_FALSE(c.format->isEnabled());
  EXPECT_FALSE(c.info->isEnabled());
  EXPECT_FALSE(c.check->isEnabled());
}

TEST_F(RefreshWorkflow, PickerChoosesByWholeDriveAndRefreshSelectsTheFirstAgain) {
  attach("2");
  auto v = view();
  showAndSettle(*v);
  Controls c(*v);
  c.picker->setFocus();
  QTest::keyClick(c.picker, Qt::Key_Down);
  ASSERT_EQ(v->selectedDrive(), v->diskManager().drives()[1]);

  // A drive with the same name but another record is not an entry.
  Drive lookalike = v->diskManager().drives()[1];
  lookalike.id = QUuid::createUuid();
  v->setSelectedDrive(lookalike);
  EXPECT_EQ(c.picker->currentIndex(), -1);
  v->setSelectedDrive(v->diskManager().drives()[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);

  pressRefresh(*v);
  EXPECT_EQ(v->selectedDrive(), v->diskManager().drives()[0]);
  EXPECT_EQ(c.picker->currentIndex(), 0);
}

TEST_F(RefreshWorkflow, FailedRefreshKeepsListAndSelectionAndShowsOnlyTheError) {
  attach("2");
  auto v = view();
  showAndSettle(*v);
  Controls c(*v);
  v->setSelectedDrive(v->diskManager().drives()[1]);
  const QList<Drive> before = v->diskManager().drives();

  attach("broken");
  pressRefresh(*v);
  EXPECT_TRUE(v->statusLog().startsWith("Error refreshing drives: "))
      << v->statusLog().toStdString();
  EXPECT_GT(v->statusLog().size(), QString("Error refreshing drives: ").size());
  EXPECT_FALSE(v->statusLog().contains('\n'));
  EXPECT_EQ(v->diskManager().drives(), before);
  EXPECT_EQ(v->selectedDrive(), before[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);
  EXPECT_TRUE(c.refresh->isEnabled());
}

TEST_F(RefreshWorkflow, FailedStartUpRefreshReplacesTheWelcomeText) {
  attach("broken");
  auto v = view();
  showAndSettle(*v);
  EXPECT_TRUE(v->statusLog().startsWith("Error refreshing drives: "));
  EXPECT_FALSE(v->selectedDrive().has_value());
}

TEST_F(RefreshWorkflow, EachWindowRefreshesOnlyOnceWhenShown) {
  attach("1");
  auto v = view();
  QSignalSpy finished(v.get(), &ContentView::workflowFinished);
  showAndSettle(*v);
  v->hide();
  v->show();
  QTest::qWait(50);
  EXPECT_EQ(finished.count(), 1);
}

TEST_F(RefreshWorkflow, ViewDestroyedDuringARefreshWaitsForIt) {
  attach("2");
  qputenv("TESSARO_UI_DELAY", "0.3");
  auto v = view();
  v->show();
  ASSERT_TRUE(v->isBusy());
  v.reset();  // the refresh resumes into the view when lsblk ends
  QTest::qWait(50);
}

TEST_F(RefreshWorkflow, WindowClosedDuringARefreshHidesAtOnceAndGoesWhenItEnds) {
  attach("2");
  qputenv("TESSARO_UI_DELAY", "0.3");
  QPointer<ContentView> v = view().release();
  v->setAttribute(Qt::WA_DeleteOnClose);
  v->show();
  ASSERT_TRUE(v->isBusy());
  v->close();
  QTest::qWait(20);
  ASSERT_TRUE(v);
  EXPECT_FALSE(v->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!v, 10000);
}
