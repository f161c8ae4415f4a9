#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "Await.h"
#include "FakeSysfs.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "drives/MacDiskTools.h"
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
  // The device of each info call, in order.
  QStringList queried() const {
    QFile file(path);
    QStringList devices;
    if (file.open(QIODevice::ReadOnly))
      for (const QByteArray& line : file.readAll().split('\n'))
        if (line.contains("/dev/")) devices << QString(line).section(' ', -1);
    return devices;
  }
};

// A copy of a fixture machine whose answers a test may take away or change.
struct FakeMachine {
  QTemporaryDir dir;
  FakeMachine(const QString& tool, const QString& machine) {
    const QDir source(fixture(tool + '/' + machine));
    for (const QString& name : source.entryList(QDir::Files))
      if (name != tool) QFile::copy(source.filePath(name), dir.filePath(name));
    QFile::link(fixture(tool + "/fake-" + tool), dir.filePath(tool));
  }
  QString path(const QString& file) const { return dir.filePath(file); }
};

QStringList descriptions(const DiskManager& manager) {
  QStringList result;
  for (const Drive& drive : manager.drives()) result << drive.description;
  return result;
}

QString refreshError(DiskManager& manager) {
  try {
    awaitTask(manager.refresh());
  } catch (const Error& error) {
    return error.description();
  }
  return "no error";
}

}  // namespace

TEST(DiskManagerRefresh, MacListsExternalDisksInListOrderAndNeverQueriesDisk0) {
  ToolLog log;
  DiskManager manager(std::make_unique<MacDiskTools>(fixture("diskutil/mixed/diskutil")));
  int changes = 0;
  QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });
  awaitTask(manager.refresh());
  EXPECT_EQ(descriptions(manager), (QStringList{"30.75 GB Ultra (disk2)", "31.91 GB SD32G (disk4)",
                                                "104.9 MB Disk Image (disk5)"}));
  // The list's last entry has no DeviceIdentifier; disk1 and disk3 are internal.
  EXPECT_EQ(log.queried(),
            (QStringList{"/dev/disk1", "/dev/disk2", "/dev/disk3", "/dev/disk4", "/dev/disk5"}));
  EXPECT_EQ(changes, 1);
}

TEST(DiskManagerRefresh, MacMachinesWithLittleToList) {
  ToolLog log;
  for (const char* machine : {"only-disk0", "list-without-disks"}) {
    DiskManager manager(
        std::make_unique<MacDiskTools>(fixture("diskutil/") + machine + "/diskutil"));
    int changes = 0;
    QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });
    awaitTask(manager.refresh());
    EXPECT_TRUE(manager.drives().isEmpty()) << machine;
    EXPECT_EQ(changes, 1) << machine;
  }
  EXPECT_TRUE(log.queried().isEmpty());

  // disk2's info is an array, not a dictionary: only that disk is left out.
  DiskManager manager(
      std::make_unique<MacDiskTools>(fixture("diskutil/info-not-dictionary/diskutil")));
  awaitTask(manager.refresh());
  EXPECT_EQ(descriptions(manager), QStringList{"31.91 GB SD32G (disk4)"});
}

TEST(DiskManagerRefresh, MacFailuresKeepThePreviousList) {
  ToolLog log;
  FakeMachine machine("diskutil", "second-unreadable");
  DiskManager manager(std::make_unique<MacDiskTools>(machine.path("diskutil")));
  QFile::copy(fixture("diskutil/mixed/disk5.plist"), machine.path("disk3.plist"));
  awaitTask(manager.refresh());
  const QList<Drive> previous = manager.drives();
  ASSERT_EQ(previous.size(), 3);
  int changes = 0;
  QObject::connect(&manager, &DiskManager::drivesChanged, [&] { ++changes; });

  // The second of three info texts is an error message: the refresh fails
  // there, and the third disk is not queried.
  QFile::remove(log.path);
  QFile::remove(machine.path("disk3.plist"));
  EXPECT_EQ(refreshError(manager),
            "The data couldn't be read because it isn't in the correct format.");
  EXPECT_EQ(log.queried(), (QStringList{"/dev/disk2", "/dev/disk3"}));
  EXPECT_EQ(manager.drives(), previous);

  QFile::remove(machine.path("list.plist"));
  QFile::copy(fixture("diskutil/list-unreadable/list.plist"), machine.path("list.plist"));
  EXPECT_NE(refreshError(manager), "no error");
  EXPECT_EQ(manager.drives(), previous);

  QFile::remove(machine.path("diskutil"));
  EXPECT_EQ(refreshError(manager), "diskutil not found");
  EXPECT_EQ(manager.drives(), previous);
  EXPECT_EQ(changes, 0);
}

TEST(DiskManagerRefresh, LinuxListsStickSdCardAndUsbSsdButNoSystemOrInternalDisk) {
  ToolLog log;
  test::FakeSysfs sysfs;
  sysfs.addMmc("mmcblk0", "SD", "SD32G");
  DiskManager manager(
      std::make_unique<LinuxDiskTools>(fixture("lsblk/laptop/lsblk"), sysfs.root()));
  awaitTask(manager.refresh());
  EXPECT_EQ(descriptions(manager),
            (QStringList{"30.75 GB SanDisk Ultra (sdb)", "500.11 GB Samsung PSSD T7 (sdc)",
                         "31.91 GB SD32G (mmcblk0)"}));
  // The NVMe disk holds the running system; loop and zram are virtual: none
  // of them is queried. The SATA disk is queried and left out.
  EXPECT_EQ(log.queried(), (QStringList{"/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/mmcblk0"}));
  EXPECT_EQ(manager.drives().first().devicePath, "/dev/sdb");
  EXPECT_EQ(manager.drives().first().size, 30752636928);
}

TEST(DiskManagerRefresh, LinuxFailuresKeepThePreviousList) {
  FakeMachine machine("lsblk", "laptop");
  DiskManager manager(std::make_unique<LinuxDiskTools>(machine.path("lsblk"), "/nonexistent"));
  awaitTask(manager.refresh());
  const QList<Drive> previous = manager.drives();
  ASSERT_EQ(previous.size(), 2);

  QFile::remove(machine.path("sdc.json"));
  EXPECT_TRUE(refreshError(manager).startsWith("lsblk output could not be read"));
  EXPECT_EQ(manager.drives(), previous);

  QFile::remove(machine.path("lsblk"));
  EXPECT_EQ(refreshError(manager), "lsblk not found: install util-linux");
  EXPECT_EQ(manager.drives(), previous);
}

// This machine's own lsblk, with a loop device made for the test (as root):
// the system disk, loop, zram and virtio disks are never offered.
TEST(DiskManagerRefresh, RealLsblkOffersNoSystemOrVirtualDisk) {
  QTemporaryDir dir;
  QFile image(dir.filePath("disk.img"));
  ASSERT_TRUE(image.open(QIODevice::WriteOnly) && image.resize(16 << 20));
  const QStringList attach{"/usr/sbin/losetup", "--find", "--show", image.fileName()};
  const QString loop =
      geteuid() == 0 ? awaitTask(ProcessRunner::shared().runAndCapture(attach)) : "";
  const auto detach = qScopeGuard([&] {
    if (loop.startsWith("/dev/loop")) QProcess::execute("/usr/sbin/losetup", {"--detach", loop});
  });

  DiskManager manager(std::make_unique<LinuxDiskTools>());
  awaitTask(manager.refresh());
  if (loop.startsWith("/dev/loop")) {
    const QString listed =
        awaitTask(ProcessRunner::shared().runAndCapture(manager.tools().listCommand()));
    EXPECT_TRUE(listed.contains('"' + loop.mid(5) + '"')) << listed.toStdString();
  }
  const QStringList findRoot{"/usr/bin/findmnt", "--noheadings", "--output", "SOURCE", "/"};
  const QString root = awaitTask(ProcessRunner::shared().runAndCapture(findRoot));
  const QRegularExpression virtualName("^(loop|zram|vd)");
  for (const Drive& drive : manager.drives()) {
    EXPECT_FALSE(virtualName.match(drive.bsdName).hasMatch()) << drive.description.toStdString();
    EXPECT_FALSE(root.startsWith(drive.devicePath)) << drive.description.toStdString();
  }
  // With nothing but virtual disks attached, nothing is offered at all.
  const QStringList disks = QDir("/sys/block").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  if (std::all_of(disks.begin(), disks.end(),
                  [&](const QString& name) { return virtualName.match(name).hasMatch(); }))
    EXPECT_TRUE(manager.drives().isEmpty());
}
