// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Await.h"
#include "ChildRun.h"
#include "LoopDisk.h"
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

// A copy of a fixture machine, whose answers a test may take away or change.
QString copyMachine(const QTemporaryDir& dir, const QString& machine) {
  test::runProgram("/bin/cp", {"-rL", fixture(machine) + "/.", dir.path()});
  return dir.path() + '/';
}

QStringList descriptions(const DiskManager& manager) {
  QStringList result;
  for (const Drive& drive : manager.drives()) result << drive.description;
  return result;
}

// A refresh that fails leaves the list as it was; gives the error's text.
QString failedRefresh(DiskManager& manager) {
  const QList<Drive> before = manager.drives();
  QString description = "no error";
  try {
    awaitTask(manager.refresh());
  } catch (const Error& error) {
    description = error.description();
  }
  EXPECT_EQ(manager.drives(), before);
  return description;
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

TEST(DiskManagerRefresh, LinuxStartsLsblkOnceHoweverManyDrivesAreAttached) {
  ToolLog log;
  DiskManager manager(toolsFor("lsblk/laptop"));
  awaitTask(manager.refresh());
  EXPECT_EQ(manager.drives().size(), 3);
  EXPECT_EQ(log.calls().size(), 1) << QByteArrayList(log.calls()).join('|').toStdString();
}

TEST(DiskManagerRefresh, MacFailuresKeepThePreviousList) {
  ToolLog log;
  QTemporaryDir dir;
  const QString machine = copyMachine(dir, "diskutil/second-unreadable");
  QFile::copy(fixture("diskutil/mixed/disk5.plist"), machine + "disk3.plist");
  DiskManager manager(std::make_unique<MacDiskTools>(machine + "diskutil"));
  awaitTask(manager.refresh());
  ASSERT_EQ(manager.drives().size(), 3);
  int changes = 0;
  QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });

  // The second of three info texts is an error message: the refresh fails
  // there, and the third disk is not queried.
  QFile::remove(log.path);
  QFile::remove(machine + "disk3.plist");
  EXPECT_EQ(failedRefresh(manager),
            "diskutil failed with exit status 1: Could not find disk: /dev/disk3");
  EXPECT_EQ(log.queried(), (QStringList{"/dev/disk2", "/dev/disk3"}));

  QFile::remove(machine + "diskutil");
  EXPECT_EQ(failedRefresh(manager), "diskutil not found");
  EXPECT_EQ(changes, 0);
}

TEST(DiskManagerRefresh, AMissingOrFailingLsblkIsNamed) {
  DiskManager manager(std::make_unique<LinuxDiskTools>("/nonexistent/lsblk"));
  EXPECT_EQ(failedRefresh(manager), "lsblk not found: install util-linux");
  // Without a list to print, the stand-in fails as lsblk does: its message
  // and status, not a complaint about its output.
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::link(fixture("lsblk/fake-lsblk"), dir.filePath("lsblk")));
  DiskManager failing(std::make_unique<LinuxDiskTools>(dir.filePath("lsblk")));
  EXPECT_TRUE(failedRefresh(failing).startsWith("lsblk failed with exit status 32: lsblk: "));
}

// This machine's own lsblk, with a loop device made for the test (as root):
// neither the system disk nor a loop, zram or virtio disk is offered.
TEST(DiskManagerRefresh, RealLsblkOffersNoSystemOrVirtualDisk) {
  std::optional<test::LoopDisk> disk;
  if (geteuid() == 0) disk.emplace(test::LoopDisk::Options{.bytes = 16 << 20, .blank = true});
  const QString loop = disk && disk->ready() ? disk->devicePath() : QString();
  DiskManager manager(std::make_unique<LinuxDiskTools>());
  awaitTask(manager.refresh());
  if (loop.startsWith("/dev/loop"))
    EXPECT_TRUE(test::runProgram("/usr/bin/lsblk", {"--nodeps", "--noheadings"})
                    .second.contains(loop.mid(5)));
  const QString root = test::runProgram("/usr/bin/findmnt", {"-no", "SOURCE", "/"}).second;
  for (const Drive& drive : manager.drives()) {
    EXPECT_FALSE(drive.bsdName.contains(QRegularExpression("^(loop|zram|vd)")))
        << drive.description.toStdString();
    EXPECT_FALSE(root.startsWith(drive.devicePath)) << drive.description.toStdString();
  }
}
