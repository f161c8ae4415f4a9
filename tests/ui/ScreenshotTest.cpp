// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include "ViewFixture.h"
#include "i18n/Translations.h"
#include "ui/Theme.h"

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

// The window and both erase confirmations, drawn as the application draws
// them, saved into TESSARO_SCREENSHOT_DIR when it is set, in the language
// TESSARO_SCREENSHOT_LANGUAGE names (for a review of words and layout).
TEST(Screenshot, Confirmations) {
  const QString directory = qEnvironmentVariable("TESSARO_SCREENSHOT_DIR");
  if (directory.isEmpty()) GTEST_SKIP() << "TESSARO_SCREENSHOT_DIR names no directory";
  theme::applyDarkAppearance(*qApp);
  if (const QString language = qEnvironmentVariable("TESSARO_SCREENSHOT_LANGUAGE");
      !language.isEmpty())
    ASSERT_TRUE(Translations::install(*qApp, QLocale(language)));
  auto view = makeView("2");
  view->resize(900, 640);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }));
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
