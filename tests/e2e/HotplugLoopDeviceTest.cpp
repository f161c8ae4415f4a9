// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

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
// refreshes that name this test's own device count.
TEST(HotplugLoopDevice, AttachingALoopDeviceRefreshesTheRunningWindowOnce) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  test::LoopWindow window;
  auto events = std::make_unique<LinuxDriveEvents>();
  ASSERT_TRUE(events->isListening());
  RecordProperty("source", events->source() == LinuxDriveEvents::Source::udev ? "udev" : "kernel");
  QSignalSpy seen(events.get(), &DriveEvents::deviceEvent);
  auto* hotplug = new HotplugRefresh(window.view, std::move(events));
  window.view.show();
  QTRY_VERIFY_WITH_TIMEOUT(!window.view.isBusy(), 20000);
  const QString before = window.view.statusLog();
  QSignalSpy started(hotplug, &HotplugRefresh::refreshStarted);

  test::LoopImage image(8 * 1024 * 1024);
  ASSERT_FALSE(image.device().isEmpty());
  const QString name = image.device().mid(5);
  QTRY_VERIFY_WITH_TIMEOUT(refreshesNaming(started, name) > 0, 20000);
  QTRY_VERIFY_WITH_TIMEOUT(!window.view.isBusy(), 20000);
  QTest::qWait(1500);  // longer than the quiet time: a second refresh would have begun
  EXPECT_EQ(refreshesNaming(started, name), 1);
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const QList<QVariant>& event) {
    return event.at(1).toString() == name;
  }));
  EXPECT_TRUE(window.view.statusLog().startsWith(before))
      << "a device refresh adds, never replaces";
  for (const Drive& drive : window.view.diskManager().drives())
    EXPECT_NE(drive.bsdName, name) << "loop devices are never offered";
}
