// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What the window does when the user acts or the drives change: refresh and
// hotplug, the questions before erasing, check and info, several windows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPointer>

#include "ViewFixture.h"
#include "contract/HelperEvent.h"
#include "drives/mac/MacDiskTools.h"
#include "ui/BatchDialog.h"
#include "ui/EraseConfirmation.h"
#include "ui/HotplugRefresh.h"
#include "ui/WindowGroup.h"

using namespace tessaro;
using namespace tessaro::test;
using namespace std::chrono_literals;

namespace {
void pressRefresh(ContentView& view) {
  EXPECT_TRUE(waitForEnd(view, [&] {
    Controls(view).refresh->click();
    EXPECT_TRUE(view.isBusy());
    EXPECT_EQ(view.statusLog(), "Refreshing drives...");
  }));
  EXPECT_FALSE(view.isBusy());
}
}  // namespace

// An empty picker says why until a drive appears; a list with drives but none
// chosen has no hint.
TEST(RefreshWorkflow, CountsAndSelectsTheFirstDriveAndAFailureKeepsBoth) {
  auto v = settledView("2");
  Controls c(*v);
  const QList<Drive>& drives = v->diskManager().drives();
  ASSERT_EQ(drives.size(), 2) << v->statusLog().toStdString();
  EXPECT_EQ(v->statusLog(), ContentView::welcomeText()) << "the start-up refresh says nothing";
  Drive lookalike = drives[1];  // same drive, another record: not an entry
  lookalike.id = QUuid::createUuid();
  v->setSelectedDrive(lookalike);
  EXPECT_EQ(c.picker->currentIndex(), -1);
  EXPECT_TRUE(c.picker->placeholderText().isEmpty());

  for (const char* attached : {"2", "1", "0", "2"}) {
    SCOPED_TRACE(attached);
    if (!drives.isEmpty()) v->setSelectedDrive(drives.last());
    attachDrives(attached);
    pressRefresh(*v);
    EXPECT_EQ(v->statusLog(), QString("Found %1 external/removable drive(s).").arg(attached));
    ASSERT_EQ(drives.size(), QString(attached).toInt());
    EXPECT_EQ(c.picker->count(), drives.size());
    EXPECT_EQ(v->selectedDrive(), drives.isEmpty() ? std::nullopt : std::optional(drives[0]));
    EXPECT_EQ(c.picker->currentIndex(), drives.isEmpty() ? -1 : 0);
    EXPECT_EQ(c.picker->placeholderText(),
              drives.isEmpty() ? QString::fromUtf8("No external drive found — plug one in") : "");
    EXPECT_EQ(c.enabledButtons(), drives.isEmpty() ? "refresh" : "refresh format info check");
  }

  v->setSelectedDrive(drives[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);
  const QList<Drive> before = drives;
  attachDrives("broken");
  pressRefresh(*v);
  EXPECT_TRUE(v->statusLog().startsWith("Error refreshing drives: ") &&
              !v->statusLog().contains('\n'))
      << v->statusLog().toStdString();
  EXPECT_EQ(drives, before);
  EXPECT_EQ(v->selectedDrive(), before[1]);
  EXPECT_EQ(c.picker->currentIndex(), 1);
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");
}

// A list begun while the window is built is in its first frame: shown, the
// window has its drives before the event loop turns once; later windows list
// theirs after they appear.
TEST(RefreshWorkflow, AListBegunBeforeTheWindowIsInItsFirstFrame) {
  attachDrives("2");
  auto begun = fixtureDiskManager();
  begun->beginRefresh();
  ContentView first(std::move(begun));
  first.show();
  EXPECT_FALSE(first.isBusy());
  EXPECT_EQ(Controls(first).picker->count(), 2);
  EXPECT_EQ(first.selectedDrive(), first.diskManager().drives().value(0));

  ContentView later(fixtureDiskManager());
  later.show();
  EXPECT_TRUE(later.isBusy());
  EXPECT_EQ(Controls(later).picker->count(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !later.isBusy(); }, 10000));
  EXPECT_EQ(Controls(later).picker->count(), 2);
}

using Action = DriveEvents::Action;

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
    settle(*view);
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

  // A failing list keeps everything and adds its line. (With nothing chosen,
  // a list that works chooses its first drive: DiskManager/selection.rows.)
  w.view->setSelectedDrive(w.view->diskManager().drives().value(0));
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

namespace {
Drive stick(qint64 bytes, const QString& model = "Example Stick") {
  return {QUuid::createUuid(), "sdz", "/dev/sdz", "(sdz)", model, false, bytes};
}

// Red, and dark enough for its white title to read (4.5:1 or more).
bool isRed(const QColor& colour) {
  return colour.red() > 150 && colour.red() < 200 && colour.green() < 80 && colour.blue() < 90;
}
}  // namespace

// The drive named once, what the format writes, the default named with its
// size, the button that erases in red, and Cancel the default; the same for
// the capacity test.
TEST(FormatConfirmationTest, DialogNamesTheDriveAndWhatIsWrittenAndDefaultsToCancel) {
  const auto view = viewWithoutHelper(stick(32'000'000'000));
  view->setLabel("My USB");
  Question asked = questionAfter([&] { view->formatSelectedDrive(); });
  EXPECT_EQ(asked.text,
            "Erase 32 GB Example Stick (/dev/sdz)? All data on this drive will be erased. This "
            "cannot be undone.\n\nVolume name: MY USB\nCluster size: 16 KiB, the default for this "
            "drive\nPartition: one FAT32 partition over the whole drive");
  EXPECT_EQ(asked.defaultButton, "Cancel");
  EXPECT_TRUE(isRed(asked.destructiveBody)) << asked.destructiveBody.name().toStdString();
  view->setCluster(ClusterOption::C32768);
  asked = questionAfter([&] { view->formatSelectedDrive(); });
  EXPECT_TRUE(asked.text.contains("\nCluster size: 32 KiB\n")) << asked.text.toStdString();
  // The capacity test erases too, and asks in the same way (its question's
  // words: TerminalConfirmation.OnlyTheDrivesNameConfirmsWhatThePromptNames).
  asked = questionAfter([&] { view->probeSelectedDrive(); });
  EXPECT_TRUE(asked.text.startsWith("Test the capacity of 32 GB Example Stick (/dev/sdz)? "))
      << asked.text.toStdString();
  // Each answered with its default button: nothing started.
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
  EXPECT_FALSE(view->isBusy());
}

// Beyond what an MBR partition can address, the dialog says in one statement
// what is made; a disk of exactly 2 TiB loses one sector, which is no news.
TEST(FormatConfirmationTest, TheMbrLimitIsPartOfThePartitionLine) {
  const qint64 tib = 1LL << 40;
  const std::pair<qint64, const char*> rows[] = {
      {3 * tib,
       "Partition: one FAT32 partition over the first 2.2 TB of the drive's 3.3 TB, as far as "
       "an MBR partition table can address; the rest stays unused"},
      {2 * tib, "Partition: one FAT32 partition over the whole drive"},
      {2 * tib + 999'000, "Partition: one FAT32 partition over the whole drive"},
  };
  for (const auto& [bytes, partition] : rows) {
    const auto view = viewWithoutHelper(stick(bytes, "Portable"));
    const Question asked = questionAfter([&] { view->formatSelectedDrive(); });
    EXPECT_TRUE(asked.text.endsWith(QString("\n") + partition)) << asked.text.toStdString();
    EXPECT_EQ(asked.text.count("Partition:"), 1);
    EXPECT_FALSE(asked.text.contains("Only the first")) << asked.text.toStdString();
  }
}

// Several drives at once: ticked with the keyboard, one question that lists
// them all, then a row each with its own result, and every line of the log
// after the title names its drive. One drive's Stop stops that drive alone.
// The stand-in for pkexec and the helper's batch says a format went as asked
// on every drive not stopped.
TEST(FormatConfirmationTest, SeveralDrivesAreTickedAskedForOnceAndGetARowEach) {
  const contract::FormatVerdict verdict{true,  "dos", "c",     2048,    62498816, "FAT32",
                                        "CAM", 16384, 1952500, 1048576, true};
  const Saying saying(QByteArray::fromStdString(contract::HelperEvent(verdict).line()) + '\n');
  QList<Drive> drives;
  for (const char* name : {"sdx", "sdy", "sdz"}) {
    drives << Drive{QUuid::createUuid(), name,  QString("/dev/") + name, name,
                    "Example Stick",     false, 32'000'000'000};
  }
  const auto view = viewWithoutHelper(drives.first());
  elevateThrough(view->diskManager().runner(), "Jobs/elevate-batch");
  qputenv("TESSARO_TEST_WAIT", "3");
  view->setLabel("cam");
  BatchDialog dialog(*view, drives);
  dialog.show();
  auto* list = child<QListWidget>(dialog, "batchDrives");
  list->setFocus();
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(list, Qt::Key_Space);
    QTest::keyClick(list, Qt::Key_Down);
  }
  ASSERT_EQ(dialog.chosenDrives(), drives);
  QStringList asked;
  dialog.setConfirmation([&](const EraseConfirmation& question) {
    asked << question.question + '\n' + question.details;
    return true;
  });
  QSignalSpy finished(&dialog, &BatchDialog::batchFinished);
  child<QPushButton>(dialog, "batchFormat")->click();
  QTRY_VERIFY_WITH_TIMEOUT(view->statusLog().contains("sdy: working on sdy"), 20000);
  child<QPushButton>(dialog, "stop-sdy")->click();
  ASSERT_TRUE(finished.wait(30000));
  QCoreApplication::processEvents();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].startsWith("Erase these 3 drives?")) << asked[0].toStdString();
  for (const Drive& drive : drives) EXPECT_TRUE(asked[0].contains("(" + drive.devicePath + ")"));
  const QStringList results = dialog.results();
  ASSERT_EQ(results.size(), 3);
  for (int i : {0, 2}) EXPECT_EQ(results[i], "Format complete for CAM on " + drives[i].devicePath);
  EXPECT_EQ(results[1], "Cancelled: nothing was written.");
  while (view->hasPendingLines()) QCoreApplication::processEvents();
  const QStringList log = view->statusLog().split('\n');
  EXPECT_EQ(log.first(), "Formatting 3 drives as FAT32.");
  EXPECT_EQ(log.last(), "2 formatted, 1 failed");
  for (const QString& line : log.mid(1, log.size() - 2))
    EXPECT_TRUE(line.startsWith("sdx: ") || line.startsWith("sdy: ") || line.startsWith("sdz: "))
        << line.toStdString();
  EXPECT_FALSE(view->isBusy());
  qunsetenv("TESSARO_TEST_WAIT");
}

using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {

// A window over macOS's tools with stand-ins for diskutil (which finds
// disk4s1) and for the administrator rights (the elevation program).
class CheckAndInfoWorkflow : public ::testing::Test {
 protected:
  void useElevation(const QString& fixture) {
    elevateThrough(runner, fixture);
    view = std::make_unique<ContentView>(std::make_unique<DiskManager>(
        std::make_unique<MacDiskTools>(TESSARO_FIXTURES_DIR "/PartitionLookup/diskutil"), runner));
    view->setSelectedDrive(Drive{{}, "disk4", "/dev/disk4", "32 GB Ultra (disk4)"});
  }

  // Presses a workflow's button and waits for its end.
  std::string logAfter(void (ContentView::*action)()) {
    EXPECT_TRUE(waitForEnd(*view, [&] {
      (view.get()->*action)();
      EXPECT_TRUE(view->isBusy());
    }));
    QCoreApplication::processEvents();  // the appends queued before the end
    EXPECT_FALSE(view->isBusy());
    return view->statusLog().toStdString();
  }

  ProcessRunner runner;
  std::unique_ptr<ContentView> view;
};
}  // namespace

TEST_F(CheckAndInfoWorkflow, RefusedRightsEndInOneErrorLine) {
  useElevation("Repair/elevate-dismissed");
  // The window is not the active one: a check that took longer than the
  // limit tells the desktop how it ended; an info report never does.
  QStringList notices;
  view->setFinishNotifier(
      [&](const QString& summary, const QString& body) { notices << summary + ": " + body; },
      std::chrono::milliseconds(0));
  EXPECT_EQ(logAfter(&ContentView::checkSelectedDrive),
            "Running disk checking operation on /dev/disk4...\n"
            "\u274C Error: Authorization failed (126): Request dismissed");
  EXPECT_EQ(logAfter(&ContentView::showDriveInfo),
            "Reading info for /dev/disk4...\n\u274C Error: Authorization failed (126): Request "
            "dismissed");
  EXPECT_EQ(notices, QStringList{"Check did not finish: \u274C Error: Authorization failed (126): "
                                 "Request dismissed"});
  view->setFinishNotifier([&](const QString&, const QString&) { notices << "again"; },
                          std::chrono::hours(1));
  logAfter(&ContentView::checkSelectedDrive);
  EXPECT_EQ(notices.size(), 1) << "a quick check says nothing";
}

TEST_F(CheckAndInfoWorkflow, InfoReportArrivesInOnePiece) {
  useElevation("InfoReport/elevate-and-print-plists");
  QSignalSpy changes(view.get(), &ContentView::statusLogChanged);
  const std::string log = logAfter(&ContentView::showDriveInfo);
  EXPECT_EQ(changes.count(), 2);  // the start line, then the whole report
  EXPECT_THAT(log, StartsWith("Reading info for /dev/disk4...\nDevice: /dev/disk4\n"));
  EXPECT_THAT(log, EndsWith("\nFilesystem Block Size: 32768 Bytes"));
}

// A drive pulled after it was listed: the helper finds no device of its name
// (its status 75). Show Info, Check and Format say so in one line of the
// user's words, none of the helper's, and the list lets the drive go without
// saying it again.
TEST(PulledDriveWorkflow, TheDriveIsNoLongerAttachedAndLeavesTheList) {
  const Saying saying(
      "@@tessaro-event@@ {\"event\":\"failure\",\"kind\":\"noSuchDevice\",\"written\":false,"
      "\"tool\":\"\",\"status\":75,\"message\":\"Refused: there is no block device named "
      "sdb.\"}\n",
      75);
  ProcessRunner runner;
  elevateThrough(runner, "Jobs/elevate-and-say");
  ContentView view(fixtureDiskManager(runner));
  view.setConfirmation([](const Drive&) { return true; });
  for (const auto action : {&ContentView::showDriveInfo, &ContentView::checkSelectedDrive,
                            &ContentView::formatSelectedDrive}) {
    attachDrives("2");
    EXPECT_TRUE(waitForEnd(view, [&] { view.refreshDrives(); }));
    ASSERT_EQ(view.selectedDrive().value_or(Drive{}).bsdName, "sdb");
    attachDrives("0");  // pulled
    EXPECT_TRUE(waitForEnd(view, [&] { (view.*action)(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.selectedDrive(); }, 10000))
        << "still listed: " << view.statusLog().toStdString();
    QCoreApplication::processEvents();
    const QString log = view.statusLog();
    EXPECT_TRUE(log.endsWith("Error: The drive is no longer attached.")) << log.toStdString();
    EXPECT_FALSE(log.contains("Refused:")) << log.toStdString();
    EXPECT_FALSE(log.contains("exit status")) << log.toStdString();
    EXPECT_FALSE(log.contains("Drive removed")) << log.toStdString();
    EXPECT_EQ(view.diskManager().drives().size(), 0);
  }
}

// Quit closes each window as its close button does: while a format runs it
// asks first, and a window whose user keeps the format stays.
TEST(WindowGroup, QuitAsksFirstWhileAFormatRuns) {
  attachDrives("2");
  ProcessRunner runner;
  elevateThrough(runner, "ui/elevate-and-wait");
  WindowGroup group([&] { return fixtureDiskManager(runner); });
  QPointer<ContentView> window = group.openWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible() && !window->isBusy(); }, 10000));
  window->setConfirmation([](const Drive&) { return true; });
  QStringList asked;
  bool stop = false;
  window->setStopConfirmation([&](const QString& question) {
    asked << question;
    return stop;
  });
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  window->formatSelectedDrive();
  ASSERT_TRUE(window->isBusy());
  QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].contains("Stop it and close the window?")) << asked[0].toStdString();
  EXPECT_TRUE(window->isVisible()) << "the user kept the format";
  stop = true;
  QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(asked.size(), 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window; }, 10000));
}
