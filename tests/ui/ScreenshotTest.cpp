// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

// The window as a user first sees it, after the start-up refresh found two
// drives: saved as screenshot.png in the working directory, or where
// TESSARO_SCREENSHOT says (docs/screenshot.png for the README).
TEST(Screenshot, WindowWithTwoDrives) {
  auto view = makeView("2");
  view->resize(900, 640);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 5000))
      << "still not so after 5000 ms: !view->isBusy()";
  ASSERT_EQ(view->diskManager().drives().size(), 2) << view->statusLog().toStdString();
  const QImage image = view->grab().toImage();
  const QString path = qEnvironmentVariable("TESSARO_SCREENSHOT", "screenshot.png");
  ASSERT_TRUE(image.save(QDir::current().filePath(path))) << path.toStdString();
}

