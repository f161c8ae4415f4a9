// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "ui/ButtonStyle.h"
#include "ui/StyledButton.h"

using namespace tessaro;

namespace {
std::shared_ptr<const ButtonStyle> primary() { return std::make_shared<PrimaryButtonStyle>(); }
}  // namespace

TEST(StyledButton, PrimaryBodyIsAtLeast160WideAndGrowsWithItsLabel) {
  const QString longTitle = QString("Format every attached drive at once").repeated(2);
  StyledButton shortOne("Show Info", primary()), longOne(longTitle, primary());
  EXPECT_EQ(shortOne.sizeHint().width(), 160);
  const int label = int(std::ceil(QFontMetricsF(longOne.font()).horizontalAdvance(longTitle)));
  EXPECT_EQ(longOne.sizeHint().width(), label + 32);
  EXPECT_EQ(longOne.sizeHint().height(), shortOne.sizeHint().height());
}

TEST(StyledButton, DisabledButtonKeepsItsPlateAndOutline) {
  StyledButton button("Show Info", primary());
  button.resize(button.sizeHint());
  const QImage enabled = button.grab().toImage();
  button.setEnabled(false);
  const QImage disabled = button.grab().toImage();
  // Beside the label: the plate's fill, and the outline on the left edge.
  const int middle = enabled.height() / 2;
  for (const QPoint at : {QPoint(8, middle), QPoint(0, middle), QPoint(enabled.width() / 2, 2)})
    EXPECT_EQ(disabled.pixel(at), enabled.pixel(at)) << at.x() << "," << at.y();
}
