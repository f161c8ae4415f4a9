#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ui/ButtonStyle.h"
#include "ui/StyledButton.h"

using namespace tessaro;

namespace {
std::shared_ptr<const ButtonStyle> primary() { return std::make_shared<PrimaryButtonStyle>(); }
std::shared_ptr<const ButtonStyle> flat() { return std::make_shared<FlatButtonStyle>(); }
}  // namespace

TEST(ButtonStyle, PrimaryBodyIsAtLeast160WideAndGrowsWithItsLabel) {
  PrimaryButtonStyle style;
  EXPECT_EQ(style.bodySize({60, 16}), QSizeF(160, 36));
  EXPECT_EQ(style.bodySize({128, 16}), QSizeF(160, 36));
  EXPECT_EQ(style.bodySize({129, 16}), QSizeF(161, 36));
  EXPECT_EQ(style.bodySize({300, 20}), QSizeF(332, 40));
}

TEST(ButtonStyle, FlatBodyHugsItsLabel) {
  FlatButtonStyle style;
  EXPECT_EQ(style.bodySize({60, 16}), QSizeF(84, 32));
}

TEST(StyledButton, ShortAndLongPrimaryButtonsTakeTheirWidths) {
  StyledButton shortOne("Show Info", primary());
  EXPECT_EQ(shortOne.sizeHint().width(), 160);
  const QString longTitle = QString("Format every attached drive at once").repeated(2);
  StyledButton longOne(longTitle, primary());
  const int label = int(std::ceil(QFontMetricsF(longOne.font()).horizontalAdvance(longTitle)));
  EXPECT_GT(label + 32, 160);
  EXPECT_EQ(longOne.sizeHint().width(), label + 32);
  EXPECT_EQ(longOne.sizeHint().height(), shortOne.sizeHint().height());
}

TEST(StyledButton, PrimaryPressEasesFillAndOutlineOverAboutATenthOfASecond) {
  StyledButton button("Show Info", primary());
  button.resize(button.sizeHint());
  button.show();
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.10);
  EXPECT_DOUBLE_EQ(button.currentOutlineOpacity(), 0.18);

  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_LT(button.currentFillOpacity(), 0.12) << "the pressed look is animated, not immediate";
  QTest::qWait(60);
  EXPECT_GT(button.currentFillOpacity(), 0.10);
  QTest::qWait(200);
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.12);
  EXPECT_DOUBLE_EQ(button.currentOutlineOpacity(), 0.30);

  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_GT(button.currentOutlineOpacity(), 0.18);
  QTest::qWait(260);
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.10);
  EXPECT_DOUBLE_EQ(button.currentOutlineOpacity(), 0.18);
}

TEST(StyledButton, FlatPressSwitchesAtOnceWithoutOutline) {
  StyledButton button("Refresh Drives", flat());
  button.resize(button.sizeHint());
  button.show();
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.04);
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.06);
  EXPECT_DOUBLE_EQ(button.currentOutlineOpacity(), 0.0);
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(button.currentFillOpacity(), 0.04);
}

TEST(StyledButton, DisabledButtonKeepsItsPlateAndOutline) {
  StyledButton button("Show Info", primary());
  button.resize(button.sizeHint());
  const QImage enabled = button.grab().toImage();
  button.setEnabled(false);
  const QImage disabled = button.grab().toImage();
  EXPECT_EQ(disabled.size(), enabled.size());
  // Beside the label: the plate's fill, and the outline on the left edge.
  const int middle = enabled.height() / 2;
  for (const QPoint at : {QPoint(8, middle), QPoint(0, middle), QPoint(enabled.width() / 2, 2)})
    EXPECT_EQ(disabled.pixel(at), enabled.pixel(at)) << at.x() << "," << at.y();
}
