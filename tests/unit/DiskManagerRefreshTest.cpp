// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "Await.h"
#include "drives/DiskManager.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/mac/MacDiskTools.h"
#include "exec/Error.h"

using namespace tessaro;
using tessaro::test::awaitTask;

namespace {

QString fixture(const QString& relative) { return TESSARO_FIXTURES_DIR "/" + relative; }

// The fake tools note the arguments of every call in $TESSARO_FAKE_TOOL_LOG.
struct ToolLog {
  QTemporaryDir dir;
  QString path = dir.filePath("calls");
  ToolLog() { qputenv("TESSARO_FAKE_TOOL_LOG", path.toUtf8()); }
  ~ToolLog() { qunsetenv("TESSARO_FAKE_TOOL_LOG"); }
  QList<QByteArray> calls() const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
  }
  // The device of each info call, in order.
  QStringList queried() const {
    QStringList devices;
    for (const QByteArray& line : calls())
      if (line.contains("/dev/")) devices << QString(line).section(' ', -1);
    return devices;
  }
};

// The tools of a fixture machine, "<tool>/<machine>"; on Linux with a
// laptop's sysfs, whose card reader holds an SD card.
std::unique_ptr<DiskTools> toolsFor(const QString& machine) {
  const QString tool = machine.section('/', 0, 0);
  const QString path = fixture(machine + '/' + tool);
  if (tool == "lsblk") return std::make_unique<LinuxDiskTools>(path, fixture("sysfs"));
  return std::make_unique<MacDiskTools>(path);
}

QStringList descriptions(const DiskManager& manager) {
  QStringList result;
  for (const Drive& drive : manager.drives()) result << drive.description;
  return result;
}

}  // namespace

TEST(DiskManagerRefresh, ListsExternalDisksInOrderWithoutQueryingSystemDisks) {
  const struct {
    const char* machine;
    QStringList drives, queried;
  } machines[] = {
      // disk1 and disk3 are internal; the list's last entry has no DeviceIdentifier.
      {"diskutil/mixed",
       {"30.75 GB Ultra (disk2)", "31.91 GB SD32G (disk4)", "104.9 MB Disk Image (disk5)"},
       {"/dev/disk1", "/dev/disk2", "/dev/disk3", "/dev/disk4", "/dev/disk5"}},
      {"diskutil/only-disk0", {}, {}},
      {"diskutil/list-without-disks", {}, {}},
      // disk2's info is an array, not a dictionary: only that disk is left out.
      {"diskutil/info-not-dictionary", {"31.91 GB SD32G (disk4)"}, {"/dev/disk2", "/dev/disk4"}},
      // The NVMe disk holds the running system, loop and zram are virtual and
      // the SATA disk is internal: only the list's own records are read.
      {"lsblk/laptop",
       {"30.75 GB SanDisk Ultra (sdb)", "500.11 GB Samsung PSSD T7 (sdc)",
        "31.91 GB SD32G (mmcblk0)"},
       {}},
      // Empty card reader slots, a locked card and a DVD drive are not offered.
      {"lsblk/desktop", {"63.86 GB Generic- SD/MMC (sdc)", "61.53 GB SanDisk Ultra Fit (sdg)"}, {}},
      // LUKS and LVM on NVMe, loop devices; an SD card and a Thunderbolt disk.
      {"lsblk/nvme-lvm",
       {"1 TB Samsung PSSD T7 (sdb)", "31.91 GB SD32G (mmcblk0)",
        "2 TB WD_BLACK SN850X 2000GB (nvme1n1)"},
       {}},
  };
  for (const auto& [machine, drives, queried] : machines) {
    ToolLog log;
    DiskManager manager(toolsFor(machine));
    int changes = 0;
    QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });
    awaitTask(manager.refresh());
    EXPECT_EQ(descriptions(manager), drives) << machine;
    EXPECT_EQ(log.queried(), queried) << machine;
    EXPECT_EQ(changes, 1) << machine;
  }
}

// What a check or report looks at comes from the list just read, so that
// tessaro-cli runs lsblk once: the first partition, the disk itself without
// one, nothing for a disk the list does not show or a platform that tells no
// partitions.
TEST(DiskManagerRefresh, TheListedPartitionOfADiskIsItsFirstPartitionOrItself) {
  DiskManager linux(toolsFor("lsblk/laptop"));
  awaitTask(linux.refresh());
  EXPECT_EQ(linux.listedPartition("sdb"), "sdb1");
  EXPECT_EQ(linux.listedPartition("mmcblk0"), "mmcblk0p1");
  EXPECT_EQ(linux.listedPartition("nvme0n1"), "nvme0n1p1");
  EXPECT_EQ(linux.listedPartition("zram0"), "zram0");
  EXPECT_EQ(linux.listedPartition("sdz"), std::nullopt);
  DiskManager mac(toolsFor("diskutil/mixed"));
  awaitTask(mac.refresh());
  EXPECT_EQ(mac.listedPartition("disk2"), std::nullopt);
}

// A list begun ahead is the next refresh's: lsblk runs once, and the
// refresh after it lists anew.
TEST(DiskManagerRefresh, ARefreshTakesTheListBegunAheadOnce) {
  ToolLog log;
  DiskManager manager(toolsFor("lsblk/laptop"));
  manager.beginRefresh();
  EXPECT_TRUE(manager.waitForBegunRefresh(std::chrono::seconds(10)));
  EXPECT_EQ(log.calls().size(), 1);
  awaitTask(manager.refresh());
  EXPECT_EQ(manager.drives().size(), 3);
  EXPECT_EQ(log.calls().size(), 1);
  awaitTask(manager.refresh());
  EXPECT_EQ(log.calls().size(), 2);

  // A cancel reaches a begun list that is still running (this one takes 30 s).
  qputenv("TESSARO_UI_DELAY", "30");
  DiskManager slow(std::make_unique<LinuxDiskTools>(fixture("ui/lsblk"), fixture("ui/sysfs")));
  slow.beginRefresh();
  auto cancel = std::make_shared<Cancellation>();
  QTimer::singleShot(100, [cancel] { cancel->cancel(); });
  QElapsedTimer clock;
  clock.start();
  try {
    awaitTask(slow.refresh(cancel));
    ADD_FAILURE() << "the cancelled refresh ended";
  } catch (const std::exception& error) {
    EXPECT_TRUE(isCancellation(error)) << error.what();
  }
  EXPECT_LT(clock.elapsed(), 10'000);
  qunsetenv("TESSARO_UI_DELAY");
}
