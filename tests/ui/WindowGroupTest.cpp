#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include "ViewFixture.h"
#include "ui/WindowGroup.h"

using namespace tessaro;

TEST(WindowGroup, NewWindowShortcutOpensAWindowWithStateOfItsOwn) {
  const QString fixtures = QStringLiteral(TESSARO_FIXTURES_DIR);
  qputenv("TESSARO_UI_DRIVES", "2");
  WindowGroup group([fixtures] {
    return std::make_unique<DiskManager>(
        std::make_unique<LinuxDiskTools>(fixtures + "/ui/lsblk", fixtures + "/ui/sysfs"));
  });
  QPointer<ContentView> first = group.openWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
  QTRY_VERIFY_WITH_TIMEOUT(!first->isBusy(), 10000);
  first->setLabel("first");
  first->setStatusLog("first window's log");
  ASSERT_EQ(first->diskManager().drives().size(), 2);
  first->setSelectedDrive(first->diskManager().drives()[1]);

  QPointer<ContentView> second;
  QObject::connect(&group, &WindowGroup::windowOpened, [&](ContentView* w) { second = w; });
  first->activateWindow();
  QTest::keySequence(first, QKeySequence::New);
  ASSERT_TRUE(second);
  EXPECT_NE(second.data(), first.data());
  EXPECT_NE(&second->diskManager(), &first->diskManager());
  QTRY_VERIFY_WITH_TIMEOUT(!second->isBusy(), 10000);
  EXPECT_EQ(second->statusLog(), ContentView::welcomeText());
  EXPECT_TRUE(second->label().isEmpty());
  EXPECT_EQ(second->selectedDrive(), second->diskManager().drives().value(0));
  EXPECT_EQ(first->selectedDrive(), first->diskManager().drives()[1]);
  EXPECT_EQ(first->statusLog(), "first window's log");

  second->close();
  QTRY_VERIFY(!second);
  EXPECT_TRUE(first);
  first->close();
  QTRY_VERIFY(!first);
  qunsetenv("TESSARO_UI_DRIVES");
}
