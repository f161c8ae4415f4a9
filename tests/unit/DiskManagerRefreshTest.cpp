#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Await.h"
#include "FakeSysfs.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "drives/MacDiskTools.h"
#include "exec/Error.h"

using namespace tessaro;
using tessaro::test::awaitTask;
using tessaro::test::FakeSysfs;

namespace {

QString fixture(const QString& relative) {
  return QStringLiteral(TESSARO_FIXTURES_DIR "/") + relative;
}

// Notes every call of a fake tool, one line of arguments per call.
class ToolLog {
 public:
  ToolLog() {
    EXPECT_TRUE(dir_.isValid());
    qputenv("TESSARO_FAKE_TOOL_LOG", path().toUtf8());
  }
  ~ToolLog() { qunsetenv("TESSARO_FAKE_TOOL_LOG"); }
  QString path() const { return dir_.filePath(QStringLiteral("calls")); }
  // The device argument of each info call, in order.
  QStringList queried() const {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList devices;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
      if (line.contains(QLatin1String("/dev/"))) devices << line.section(' ', -1);
    return devices;
  }

 private:
  QTemporaryDir dir_;
};

// A copy of a fixture machine in a temporary folder, so that a test can
// change what the tool answers between two refreshes.
class FakeMachine {
 public:
  FakeMachine(const QString& tool, const QString& machine) {
    EXPECT_TRUE(dir_.isValid());
    const QDir source(fixture(tool + QLatin1Char('/') + machine));
    for (const QString& name : source.entryList(QDir::Files))
      if (name != tool) QFile::copy(source.filePath(name), dir_.filePath(name));
    toolPath_ = dir_.filePath(tool);
    QFile::link(fixture(tool + QStringLiteral("/fake-") + tool), toolPath_);
  }
  const QString& toolPath() const { return toolPath_; }
  void answer(const QString& file, const QByteArray& text) {
    QFile out(dir_.filePath(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
  }
  void remove(const QString& file) { QFile::remove(dir_.filePath(file)); }

 private:
  QTemporaryDir dir_;
  QString toolPath_;
};

// Counts drivesChanged and keeps the last list it carried.
struct ChangeCounter {
  explicit ChangeCounter(DiskManager* manager) {
    QObject::connect(manager, &DiskManager::drivesChanged, [this](const QList<Drive>& drives) {
      ++count;
      last = drives;
    });
  }
  int count = 0;
  QList<Drive> last;
};

QStringList descriptions(const QList<Drive>& drives) {
  QStringList result;
  for (const Drive& drive : drives) result << drive.description;
  return result;
}

std::unique_ptr<DiskManager> macManager(const QString& machine) {
  return std::make_unique<DiskManager>(
      std::make_unique<MacDiskTools>(fixture(QStringLiteral("diskutil/%1/diskutil").arg(machine))));
}

std::unique_ptr<DiskManager> linuxManager(const QString& machine, const QString& sysfsRoot) {
  return std::make_unique<DiskManager>(std::make_unique<LinuxDiskTools>(
      fixture(QStringLiteral("lsblk/%1/lsblk").arg(machine)), sysfsRoot));
}

QString refreshError(DiskManager& manager) {
  try {
    awaitTask(manager.refresh());
  } catch (const Error& error) {
    return error.description();
  }
  return {};
}

}  // namespace

TEST(DiskManagerRefresh, MacListsExternalDisksInListOrderAndNeverQueriesDisk0) {
  ToolLog log;
  auto manager = macManager("mixed");
  ChangeCounter changed(manager.get());
  awaitTask(manager->refresh());

  EXPECT_EQ(descriptions(manager->drives()),
            (QStringList{"30.75 GB Ultra (disk2)", "31.91 GB SD32G (disk4)",
                         "104.9 MB Disk Image (disk5)"}));
  EXPECT_EQ(log.queried(),
            (QStringList{"/dev/disk1", "/dev/disk2", "/dev/disk3", "/dev/disk4", "/dev/disk5"}));
  ASSERT_EQ(changed.count, 1);
  EXPECT_EQ(changed.last, manager->drives());

  // A second refresh makes new records for the same disks.
  const QList<Drive> before = manager->drives();
  awaitTask(manager->refresh());
  ASSERT_EQ(manager->drives().size(), before.size());
  EXPECT_NE(manager->drives().first().id, before.first().id);
  EXPECT_EQ(manager->drives().first().description, before.first().description);
}

TEST(DiskManagerRefresh, MacFailuresKeepThePreviousList) {
  ToolLog log;
  FakeMachine machine("diskutil", "mixed");
  DiskManager manager(std::make_unique<MacDiskTools>(machine.toolPath()));
  awaitTask(manager.refresh());
  const QList<Drive> previous = manager.drives();
  ASSERT_EQ(previous.size(), 3);
  ChangeCounter changed(&manager);

  // One disk's info is an error message: the whole refresh fails, and the
  // disks after it are not queried.
  QFile::remove(log.path());
  machine.remove("disk3.plist");
  EXPECT_EQ(refreshError(manager),
            "The data couldn't be read because it isn't in the correct format.");
  EXPECT_EQ(log.queried(), (QStringList{"/dev/disk1", "/dev/disk2", "/dev/disk3"}));
  EXPECT_EQ(manager.drives(), previous);

  machine.answer("list.plist", "Unable to run because unable to use the DiskManagement framework.");
  EXPECT_FALSE(refreshError(manager).isEmpty());
  EXPECT_EQ(manager.drives(), previous);

  machine.remove("diskutil");
  EXPECT_EQ(refreshError(manager), "diskutil not found");
  EXPECT_EQ(manager.drives(), previous);
  EXPECT_EQ(changed.count, 0);
}

TEST(DiskManagerRefresh, MacMachinesWithNothingToList) {
  ToolLog log;
  for (const char* machine : {"only-disk0", "list-without-disks"}) {
    auto manager = macManager(machine);
    ChangeCounter changed(manager.get());
    awaitTask(manager->refresh());
    EXPECT_TRUE(manager->drives().isEmpty()) << machine;
    EXPECT_EQ(changed.count, 1) << machine;
  }
  EXPECT_TRUE(log.queried().isEmpty());

  // An info text that is no dictionary skips that disk only.
  auto manager = macManager("info-not-dictionary");
  awaitTask(manager->refresh());
  EXPECT_EQ(descriptions(manager->drives()), (QStringList{"31.91 GB SD32G (disk4)"}));
}

TEST(DiskManagerRefresh, LinuxListsStickSsdAndSdCardButNoSystemOrInternalDisk) {
  ToolLog log;
  FakeSysfs sysfs;
  sysfs.addSdCard("mmcblk0", "SD32G");
  auto manager = linuxManager("laptop", sysfs.root());
  awaitTask(manager->refresh());

  EXPECT_EQ(descriptions(manager->drives()),
            (QStringList{"30.75 GB SanDisk Ultra (sdb)", "500.11 GB Samsung PSSD T7 (sdc)",
                         "31.91 GB SD32G (mmcblk0)"}));
  // The NVMe disk holds the running system; loop and zram are virtual:
  // none of them is queried. The SATA disk is queried and left out.
  EXPECT_EQ(log.queried(), (QStringList{"/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/mmcblk0"}));
  const Drive& stick = manager->drives().first();
  EXPECT_EQ(stick.bsdName, "sdb");
  EXPECT_EQ(stick.devicePath, "/dev/sdb");
  EXPECT_EQ(stick.model, "SanDisk Ultra");
  EXPECT_EQ(stick.size, 30752636928);

  // Without its sysfs entry the card reader's disk looks internal.
  auto noSysfs = linuxManager("laptop", "/nonexistent");
  awaitTask(noSysfs->refresh());
  EXPECT_EQ(noSysfs->drives().size(), 2);
}

TEST(DiskManagerRefresh, LinuxFixtureStickIsTheOnlyDrive) {
  auto manager = linuxManager("stick-only", "/nonexistent");
  awaitTask(manager->refresh());
  EXPECT_EQ(descriptions(manager->drives()), (QStringList{"30.75 GB SanDisk Ultra (sdb)"}));
}

TEST(DiskManagerRefresh, LinuxFailures) {
  FakeMachine machine("lsblk", "laptop");
  DiskManager manager(std::make_unique<LinuxDiskTools>(machine.toolPath(), "/nonexistent"));
  awaitTask(manager.refresh());
  const QList<Drive> previous = manager.drives();
  ASSERT_EQ(previous.size(), 2);

  machine.remove("sdc.json");
  EXPECT_TRUE(refreshError(manager).startsWith("lsblk output could not be read"));
  EXPECT_EQ(manager.drives(), previous);

  machine.remove("lsblk");
  EXPECT_EQ(refreshError(manager), "lsblk not found: install util-linux");
  EXPECT_EQ(manager.drives(), previous);
}

// The machine's own lsblk: here a virtual machine whose only disk holds the
// running system, beside zram and loop devices.
TEST(DiskManagerRefresh, RealLsblkOffersNoSystemOrVirtualDisk) {
  if (!QFileInfo::exists("/usr/bin/lsblk")) GTEST_SKIP() << "no lsblk";
  DiskManager manager(std::make_unique<LinuxDiskTools>());
  awaitTask(manager.refresh());
  for (const Drive& drive : manager.drives()) {
    EXPECT_FALSE(drive.bsdName.startsWith("loop")) << drive.description.toStdString();
    EXPECT_FALSE(drive.bsdName.startsWith("zram")) << drive.description.toStdString();
    EXPECT_FALSE(drive.bsdName.startsWith("vd")) << drive.description.toStdString();
  }
  // Every disk with a mount outside /media is left out; on this machine
  // that is all of them.
  const QString root = awaitTask(ProcessRunner::shared().runAndCapture(
      QStringList{"/usr/bin/findmnt", "--noheadings", "--output", "SOURCE", "/"}));
  for (const Drive& drive : manager.drives())
    EXPECT_FALSE(root.startsWith(drive.devicePath)) << drive.description.toStdString();

  // With nothing but virtual disks attached, nothing is offered at all.
  const QStringList blockDevices = QDir("/sys/block").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  const bool onlyVirtual =
      std::all_of(blockDevices.begin(), blockDevices.end(), [](const QString& name) {
        return name.startsWith("loop") || name.startsWith("zram") || name.startsWith("vd");
      });
  if (onlyVirtual) EXPECT_TRUE(manager.drives().isEmpty());
}

// A real loop device, made for this test, is a whole disk to lsblk but never
// a drive to offer.
TEST(DiskManagerRefresh, RealLoopDeviceIsNotOffered) {
  if (geteuid() != 0 || !QFileInfo::exists("/usr/sbin/losetup")) GTEST_SKIP() << "needs root";
  QTemporaryDir dir;
  const QString image = dir.filePath("disk.img");
  {
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(16 * 1024 * 1024));
  }
  const QStringList attach{"/usr/sbin/losetup", "--find", "--show", image};
  const QString loop = awaitTask(ProcessRunner::shared().runAndCapture(attach));
  if (!loop.startsWith("/dev/loop")) GTEST_SKIP() << "no loop device: " << loop.toStdString();

  DiskManager manager(std::make_unique<LinuxDiskTools>());
  const QString listed =
      awaitTask(ProcessRunner::shared().runAndCapture(manager.tools().listCommand()));
  awaitTask(manager.refresh());
  const QStringList detach{"/usr/sbin/losetup", "--detach", loop};
  awaitTask(ProcessRunner::shared().runAndCapture(detach));

  EXPECT_TRUE(listed.contains(QString("\"%1\"").arg(loop.mid(5)))) << listed.toStdString();
  for (const Drive& drive : manager.drives()) EXPECT_NE(drive.devicePath, loop);
}
