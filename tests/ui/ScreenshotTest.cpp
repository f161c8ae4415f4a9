// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

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
  QTRY_VERIFY(!view->isBusy());
  ASSERT_EQ(view->diskManager().drives().size(), 2) << view->statusLog().toStdString();
  const QImage image = view->grab().toImage();
  const QString path = qEnvironmentVariable("TESSARO_SCREENSHOT", "screenshot.png");
  ASSERT_TRUE(image.save(QDir::current().filePath(path))) << path.toStdString();
}

// Both erase confirmations over the window, saved into TESSARO_SCREENSHOT_DIR
// when it is set (for a review of the dialogs' words and layout).
TEST(Screenshot, Confirmations) {
  const QString directory = qEnvironmentVariable("TESSARO_SCREENSHOT_DIR");
  if (directory.isEmpty()) GTEST_SKIP() << "TESSARO_SCREENSHOT_DIR names no directory";
  auto view = makeView("2");
  view->resize(900, 640);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  QTRY_VERIFY(!view->isBusy());
  const QString suffix = qEnvironmentVariable("TESSARO_SCREENSHOT_SUFFIX");
  ASSERT_TRUE(view->grab().toImage().save(QDir(directory).filePath("window" + suffix + ".png")));
  view->setLabel("My USB");
  const auto capture = [&](const QString& name) {
    QTimer::singleShot(200, [=] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_TRUE(box);
      box->grab().toImage().save(QDir(directory).filePath(name + suffix + ".png"));
      box->close();
    });
  };
  capture("format-confirmation");
  Controls(*view).format->click();
  capture("capacity-confirmation");
  child<StyledButton>(*view, "probeButton")->click();
  EXPECT_FALSE(view->isBusy());
}
