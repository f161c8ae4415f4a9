#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
QRect inView(ContentView& view, QWidget* widget) {
  return QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size());
}

class ContentViewLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    view = makeView();
    view->resize(900, 600);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  }
  std::unique_ptr<ContentView> view;
};
}  // namespace

TEST_F(ContentViewLayout, ActionBodiesAreCentredInSlots200And120And200Wide) {
  Controls c(*view);
  QWidget* row = view->findChild<QWidget*>("actionRow");
  ASSERT_TRUE(row);
  const int left = inView(*view, row).left();
  EXPECT_EQ(left, 20);

  const QRect format = inView(*view, c.format);
  const QRect info = inView(*view, c.info);
  const QRect check = inView(*view, c.check);
  // Slots: [0,200), [212,332), [344,544) from the row's leading edge.
  const int formatLeftGap = format.left() - left;
  const int formatRightGap = 200 - (format.right() + 1 - left);
  EXPECT_GE(formatLeftGap, 0);
  EXPECT_LE(std::abs(formatLeftGap - formatRightGap), 1);
  EXPECT_EQ(info.width(), 160);
  EXPECT_EQ(info.left() - left, 192) << "overflows its 120 slot by 20 on each side";
  EXPECT_EQ(info.right() + 1 - left, 352);
  EXPECT_EQ(check.width(), 160);
  EXPECT_EQ(check.left() - left, 344 + 20);
  EXPECT_EQ(format.top() + format.height() / 2, info.top() + info.height() / 2);
  EXPECT_LE(format.right(), info.left()) << "bodies do not overlap";
}

TEST_F(ContentViewLayout, ClusterColumnIsExactly220AndTheVolumeFieldTakesTheRest) {
  QWidget* cluster = view->findChild<QWidget*>("clusterColumn");
  ASSERT_TRUE(cluster);
  const QRect column = inView(*view, cluster);
  EXPECT_EQ(column.width(), 220);
  EXPECT_EQ(column.right() + 1, view->width() - 20);

  Controls c(*view);
  QWidget* volumeSurface = c.volume->parentWidget();
  const QRect surface = inView(*view, volumeSurface);
  EXPECT_EQ(surface.left(), 20);
  EXPECT_EQ(surface.right() + 1, column.left() - 12);
  EXPECT_EQ(inView(*view, c.volume).left(), surface.left() + 10) << "inset on the surface";

  view->resize(1200, 700);
  QTRY_COMPARE(inView(*view, cluster).width(), 220);
  EXPECT_EQ(inView(*view, volumeSurface).right() + 1, view->width() - 20 - 220 - 12);
}

TEST_F(ContentViewLayout, PickerSpansTheColumnAndLogFillsTheRest) {
  Controls c(*view);
  const QRect picker = inView(*view, c.picker->parentWidget());
  EXPECT_EQ(picker.left(), 20);
  EXPECT_EQ(picker.width(), view->width() - 40);

  QWidget* logSurface = view->findChild<QWidget*>("logSurface");
  ASSERT_TRUE(logSurface);
  EXPECT_EQ(inView(*view, logSurface).bottom() + 1, view->height() - 20);

  view->resize(820, 520);
  QTRY_COMPARE(view->size(), QSize(820, 520));
  QTRY_COMPARE(inView(*view, logSurface).bottom() + 1, 520 - 20);
  EXPECT_GE(logSurface->height(), 180);
  EXPECT_GE(inView(*view, logSurface).top(), inView(*view, c.check).bottom());
}

TEST_F(ContentViewLayout, HeaderHasTitleLeftAndRefreshRight) {
  Controls c(*view);
  auto* title = view->findChild<QLabel*>("title");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->text(), "Tessaro");
  EXPECT_EQ(title->font().pixelSize(), 20);
  EXPECT_EQ(inView(*view, title).left(), 20);
  EXPECT_EQ(inView(*view, c.refresh).right() + 1, view->width() - 20);
  EXPECT_EQ(c.refresh->text(), "Refresh Drives");
  EXPECT_EQ(c.format->text(), "Format to FAT32");
  EXPECT_EQ(c.info->text(), "Show Info");
  EXPECT_EQ(c.check->text(), "Precheck/Repair");
}
