#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "ViewFixture.h"

using namespace tessaro;
using namespace tessaro::test;

// Renders the window as a user first sees it, after the start-up refresh
// found two drives. The picture is kept as screenshot.png in the test's
// working directory (TESSARO_SCREENSHOT names another path) for the README.
TEST(Screenshot, WindowWithTwoDrives) {
  const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR);
  qputenv("TESSARO_UI_DRIVES", "2");
  auto view = makeView(fixtures + "/ui/lsblk", fixtures + "/ui/sysfs");
  view->resize(900, 640);
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  QTRY_VERIFY(!view->isBusy());
  ASSERT_EQ(view->diskManager().drives().size(), 2) << view->statusLog().toStdString();
  ASSERT_EQ(view->statusLog(), ContentView::welcomeText());

  const QImage image = view->grab().toImage();
  EXPECT_EQ(image.size(), QSize(900, 640) * image.devicePixelRatio());
  const QString path = qEnvironmentVariableIsSet("TESSARO_SCREENSHOT")
                           ? qEnvironmentVariable("TESSARO_SCREENSHOT")
                           : QDir::current().filePath("screenshot.png");
  ASSERT_TRUE(image.save(path)) << path.toStdString();
  qunsetenv("TESSARO_UI_DRIVES");
}
