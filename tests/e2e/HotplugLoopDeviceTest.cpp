// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "LoopImage.h"
#include "drives/linux/LinuxDriveEvents.h"
#include "ui/HotplugRefresh.h"
#include "Capability.h"

using namespace tessaro;

namespace {

qsizetype refreshesNaming(const QSignalSpy& started, const QString& name) {
  return std::count_if(started.begin(), started.end(), [&](const QList<QVariant>& refresh) {
    return refresh.at(0).toStringList().contains(name);
  });
}

}  // namespace

// Other tests attach loop devices on this machine at the same time: only the
// refreshes that name this test's own device count. The window never lets a
// loop device's events through; this test admits them to prove that real
// kernel events reach a running window.
TEST(HotplugLoopDevice, AttachingALoopDeviceRefreshesTheRunningWindowOnce) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  test::LoopWindow window;
  auto events = std::make_unique<LinuxDriveEvents>();
  ASSERT_TRUE(events->isListening());
  RecordProperty("source", events->source() == LinuxDriveEvents::Source::udev ? "udev" : "kernel");
  QSignalSpy seen(events.get(), &DriveEvents::deviceEvent);
  const DiskTools& tools = window.view.diskManager().tools();
  auto* hotplug = new HotplugRefresh(window.view, std::move(events), std::chrono::milliseconds(500),
                                     std::chrono::seconds(3), [&tools](const QString& kernelName) {
                                       return kernelName.startsWith("loop") ||
                                              tools.mayChangeDriveList(kernelName, {});
                                     });
  window.view.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.view.isBusy(); }, 20000));
  const QString before = window.view.statusLog();
  QSignalSpy started(hotplug, &HotplugRefresh::refreshStarted);

  test::LoopImage image(8 * 1024 * 1024);
  ASSERT_FALSE(image.device().isEmpty());
  const QString name = image.device().mid(5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return refreshesNaming(started, name) > 0; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.view.isRefreshingInBackground(); }, 20000));
  QTest::qWait(1500);  // longer than the quiet time: a second refresh would have begun
  EXPECT_EQ(refreshesNaming(started, name), 1);
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const QList<QVariant>& event) {
    return event.at(1).toString() == name;
  }));
  EXPECT_TRUE(window.view.statusLog().startsWith(before))
      << "a device refresh adds, never replaces";
  for (const Drive& drive : window.view.diskManager().drives())
    EXPECT_NE(drive.bsdName, name) << "loop devices are never offered";
  EXPECT_FALSE(tools.mayChangeDriveList(name, {})) << "nor do their events count in the window";
  EXPECT_FALSE(tools.mayChangeDriveList(name + "p1", {}));
}

// Disk images, snap packages and containers attach and detach loop devices
// all the time: an idle window lists nothing again for them.
TEST(HotplugLoopDevice, LoopDevicesComingAndGoingStartNoRefresh) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  test::LoopWindow window;
  auto events = std::make_unique<LinuxDriveEvents>();
  ASSERT_TRUE(events->isListening());
  QSignalSpy seen(events.get(), &DriveEvents::deviceEvent);
  auto* hotplug = new HotplugRefresh(window.view, std::move(events));
  window.view.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.view.isBusy(); }, 20000));
  QSignalSpy started(hotplug, &HotplugRefresh::refreshStarted);
  QStringList names;
  for (int i = 0; i < 8; ++i) {
    test::LoopImage image(1024 * 1024);
    ASSERT_FALSE(image.device().isEmpty());
    names << image.device().mid(5);
    QTest::qWait(50);
  }
  QTest::qWait(1500);  // longer than the quiet time
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const QList<QVariant>& event) {
    return names.contains(event.at(1).toString());
  })) << "the events arrived";
  EXPECT_EQ(started.count(), 0);
}
