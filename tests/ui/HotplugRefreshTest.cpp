// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ViewFixture.h"
#include "ui/HotplugRefresh.h"

using namespace tessaro;
using namespace tessaro::test;
using Action = DriveEvents::Action;
using namespace std::chrono_literals;

namespace {

// Stands in for the platform's device events.
class EventsDouble : public DriveEvents {
 public:
  void fire(Action action, const QString& name) { emit deviceEvent(action, name); }
};

struct HotplugWindow {
  explicit HotplugWindow(const char* drives) : view(makeView(drives)) {
    auto source = std::make_unique<EventsDouble>();
    events = source.get();
    hotplug = new HotplugRefresh(*view, std::move(source), 50ms, 400ms);
    view->show();
    // A constructor cannot return early: the tests go on and fail on their own.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000))
        << "still not so after 10000 ms: !view->isBusy()";
  }

  // Waits for the refreshes the events started to end; their device names.
  QList<QStringList> refreshesAfter(const std::function<void()>& events) {
    QSignalSpy started(hotplug, &HotplugRefresh::refreshStarted);
    events();
    QTest::qWait(150);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !view->isBusy() && !view->isRefreshingInBackground(); }, 10000));
    QTest::qWait(150);  // nothing more follows
    QList<QStringList> names;
    for (const QList<QVariant>& refresh : started) names << refresh.at(0).toStringList();
    return names;
  }

  std::unique_ptr<ContentView> view;
  EventsDouble* events = nullptr;
  HotplugRefresh* hotplug = nullptr;
};

}  // namespace

TEST(HotplugRefresh, ABurstIsOneSilentRefreshThatKeepsTheSelectedDrive) {
  HotplugWindow w("1");
  w.view->setStatusLog("what the last format printed");
  attachDrives("2");
  const auto refreshes = w.refreshesAfter([&] {
    for (const char* name : {"sdc", "sdc1", "sdc2"}) {
      w.events->fire(Action::added, name);
      w.events->fire(Action::changed, "sdc");
    }
  });
  ASSERT_EQ(refreshes.size(), 1);
  EXPECT_EQ(refreshes[0], QStringList({"sdc", "sdc1", "sdc2"}));
  const QList<Drive>& drives = w.view->diskManager().drives();
  ASSERT_EQ(drives.size(), 2);
  EXPECT_EQ(w.view->selectedDrive(), drives[0]) << "still sdb, its new record";
  EXPECT_EQ(Controls(*w.view).picker->count(), 2);
  EXPECT_EQ(w.view->statusLog(), "what the last format printed");

  // sdc chosen, sdb plugged out and in again meanwhile: sdc stays.
  w.view->setSelectedDrive(drives[1]);
  EXPECT_EQ(w.refreshesAfter([&] {
               w.events->fire(Action::removed, "sdb");
               w.events->fire(Action::added, "sdb");
             }).size(),
            1);
  EXPECT_EQ(w.view->selectedDrive(), drives[1]);
  EXPECT_EQ(Controls(*w.view).picker->currentIndex(), 1);
}

TEST(HotplugRefresh, TheSelectedDriveGoneOrSwappedClearsTheSelectionAndSaysSo) {
  HotplugWindow w("2");
  const Drive sdc = w.view->diskManager().drives()[1];
  w.view->setSelectedDrive(sdc);
  w.view->setStatusLog("log");
  attachDrives("1");
  ASSERT_EQ(w.refreshesAfter([&] { w.events->fire(Action::removed, "sdc"); }).size(), 1);
  EXPECT_FALSE(w.view->selectedDrive().has_value());
  EXPECT_EQ(Controls(*w.view).enabledButtons(), "refresh");
  EXPECT_EQ(w.view->statusLog(), "log\nDrive removed: " + sdc.description);

  // Another stick of the same kind takes sdb's name between two lists.
  const Drive sdb = w.view->diskManager().drives()[0];
  w.view->setSelectedDrive(sdb);
  w.refreshesAfter([&] {
    w.events->fire(Action::removed, "sdb");
    w.events->fire(Action::added, "sdb");
  });
  EXPECT_FALSE(w.view->selectedDrive().has_value()) << "a swapped stick is not the chosen one";
  EXPECT_TRUE(w.view->statusLog().endsWith("\nDrive removed: " + sdb.description));

  // Nothing chosen: the first drive that appears is, as after any refresh.
  w.refreshesAfter([&] { w.events->fire(Action::changed, "sdb"); });
  EXPECT_EQ(w.view->selectedDrive(), w.view->diskManager().drives().value(0));

  // A failing list keeps everything and adds its line.
  attachDrives("broken");
  w.refreshesAfter([&] { w.events->fire(Action::changed, "sdb"); });
  EXPECT_EQ(w.view->selectedDrive(), w.view->diskManager().drives().value(0));
  EXPECT_TRUE(w.view->statusLog().section('\n', -1).startsWith("Error refreshing drives: "))
      << w.view->statusLog().toStdString();
}

// Loop devices, RAM disks, device-mapper and RAID volumes and the partitions
// of the system disk come and go all the time on a desktop; the fixture's
// sysfs places sdb and sdc on USB and sda on SATA.
TEST(HotplugRefresh, EventsOfDevicesThatCannotBeOfferedStartNoRefresh) {
  HotplugWindow w("2");
  const auto ignored = w.refreshesAfter([&] {
    for (const char* name : {"loop0", "loop0p1", "loop12", "ram0", "zram0", "dm-0", "md0", "nbd0",
                             "zd0", "sda", "sda1", "sda2", "sdq", "mmcblk0boot0"}) {
      w.events->fire(Action::added, name);
      w.events->fire(Action::changed, name);
      w.events->fire(Action::removed, name);
    }
  });
  EXPECT_TRUE(ignored.isEmpty()) << ignored.value(0).join(' ').toStdString();

  // An SSD in a USB enclosure says it is not removable; a gone partition of a
  // listed drive is known by its name alone.
  EXPECT_EQ(w.refreshesAfter([&] { w.events->fire(Action::added, "sdc1"); }).size(), 1);
  EXPECT_EQ(w.refreshesAfter([&] { w.events->fire(Action::removed, "sdb7"); }).size(), 1);
}

