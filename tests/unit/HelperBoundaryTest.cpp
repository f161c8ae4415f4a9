// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "exec/HelperContract.h"
#include "helper/HelperSupport.h"
#include "helper/HelperTools.h"
#include "helper/KernelDevice.h"

using namespace tessaro;
using namespace tessaro::helper;
namespace contract = tessaro::HelperContract;

namespace {

struct HelperRun {
  int status = -1;
  QStringList lines;
};

// Runs the helper of this build; its standard input stays open (and silent)
// unless input is given, which is written and then closed.
HelperRun runHelper(
    const QStringList& args, const std::optional<QByteArray>& input = {},
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess helper;
  helper.setProcessEnvironment(environment);
  helper.start(TESSARO_HELPER_BUILD_PATH, args);
  helper.waitForStarted();
  if (input) {
    helper.write(*input);
    helper.closeWriteChannel();
  }
  helper.waitForFinished(120000);
  return {helper.exitCode(),
          QString::fromUtf8(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)};
}

QString run(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(120000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A sparse image on a loop device this test attached itself; detached when
// it goes away.
class OwnLoop {
 public:
  explicit OwnLoop(qint64 bytes) {
    QFile image(path());
    if (!image.open(QIODevice::WriteOnly) || !image.resize(bytes)) return;
    image.close();
    device_ = run("losetup", {"--find", "--show", "--partscan", path()});
    if (!device_.startsWith("/dev/loop")) device_.clear();
  }
  ~OwnLoop() {
    if (!device_.isEmpty()) run("losetup", {"--detach", device_});
  }
  QString name() const { return device_.mid(5); }
  const QString& device() const { return device_; }
  QString path() const { return dir_.filePath("disk.img"); }
  QString hash() const { return run("sha256sum", {path()}).section(' ', 0, 0); }

 private:
  QTemporaryDir dir_;
  QString device_;
};

// Arguments as an attacker would pass them: nothing may run, whatever they say.
TEST(HelperBoundaryTest, ArgumentsThatAreNotKernelNamesAreUsageErrorsBeforeAnythingRuns) {
  QTemporaryDir dir;
  const QString marker = dir.filePath("ran");
  const QString injected = "loop0;touch " + marker;
  const QStringList rows[] = {
      {},
      {"erase", "loop0"},
      {"format", "loop0"},                           // missing arguments
      {"format", "loop0", "X", "default", "extra"},  // one too many
      {"format", "/dev/loop0", "X", "default"},      // a path
      {"format", "../loop0", "X", "default"},
      {"format", "-rf", "X", "default"},  // an option
      {"format", injected, "X", "default"},
      {"format", "$(touch " + marker + ")", "X", "default"},
      {"format", "Loop0", "X", "default"},        // not the kernel's spelling
      {"format", "nosuchdisk9", "X", "default"},  // unknown to the kernel
      {"check", "/dev/shm/x"},
      {"check", "loop0", "loop1"},
      {"check", "."},
      {"info"},
      {"info", "loop0", "loop0p1", "loop0p2"},
      {"info", "/dev/null"},
  };
  for (const QStringList& args : rows) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const HelperRun ran = runHelper(args);
    EXPECT_EQ(ran.status, contract::usage) << ran.lines.join('\n').toStdString();
    EXPECT_EQ(ran.lines.value(0), contract::startMarker);
    EXPECT_EQ(ran.lines.filter("$ ").size(), 0);
  }
  EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST(HelperBoundaryTest, KernelNamesHaveTheKernelsShape) {
  for (const char* name : {"sdb", "sdb1", "mmcblk0p1", "nvme0n1p1", "loop12"}) {
    EXPECT_TRUE(KernelDevice::hasKernelNameShape(name)) << name;
  }
  for (const char* name : {"", "1sdb", "sd b", "sdb/", "..", "sdb\n", "dm-0", "-sdb", "Sdb",
                           "abcdefghijklmnopqrstuvwxyzabcdefg"}) {
    EXPECT_FALSE(KernelDevice::hasKernelNameShape(name)) << name;
  }
}

TEST(HelperBoundaryTest, MissingToolsAreNamedWithTheirPackages) {
  QTemporaryDir empty;
  const HelperTools tools({"lsblk", "wipefs", "sfdisk", "mkfs.fat", "fsck.fat", "umount"},
                          {empty.path()});
  EXPECT_EQ(tools.missingLines(),
            (QStringList{
                "Refused: lsblk and wipefs are not installed: install util-linux; nothing was "
                "written.",
                "Refused: sfdisk is not installed: install fdisk; nothing was written.",
                "Refused: mkfs.fat and fsck.fat are not installed: install dosfstools; nothing was "
                "written.",
                "Refused: umount is not installed: install mount; nothing was written."}));
  // Found by absolute path in the system's directories, whatever PATH says.
  const HelperTools found({"sh"}, {"/nonexistent", "/bin"});
  EXPECT_EQ(found.path("sh"), "/bin/sh");
  EXPECT_TRUE(found.missingLines().isEmpty());
}

// findmnt --raw: escaped blanks, bind mounts, btrfs's anonymous device numbers.
TEST(HelperBoundaryTest, MountTargetsByDeviceNumberOrSource) {
  if (!QFileInfo::exists("/sys/class/block/loop0")) GTEST_SKIP() << "no loop0 to name";
  QString refusal;
  bool usage = false;
  const KernelDevice device = KernelDevice::find("loop0", &refusal, &usage);
  ASSERT_TRUE(device.isValid()) << refusal.toStdString();
  const QByteArray number =
      QByteArray::number(major(device.number())) + ':' + QByteArray::number(minor(device.number()));
  const QByteArray table = "0:30 /dev/vda1 /\n" + number + " /dev/loop0 /media/my\\x20stick\n" +
                           "0:55 /dev/loop0 /mnt/btrfs\n" + "0:56 /dev/loop01 /elsewhere\n" +
                           "garbage\n";
  EXPECT_EQ(mountTargetsOf(table, device), (QStringList{"/media/my stick", "/mnt/btrfs"}));
  EXPECT_TRUE(mountTargetsOf("", device).isEmpty());
}

class HelperLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to attach loop devices";
    ASSERT_FALSE(loop.device().isEmpty());
  }
  OwnLoop loop{300 * 1024 * 1024};
};

// Another holder of the drive: the helper refuses before writing anything,
// so the user's data on it survives.
TEST_F(HelperLoopTest, ADiskThatAnotherProcessHoldsIsRefusedUntouched) {
  const QString before = loop.hash();
  const int fd = open(loop.device().toLocal8Bit().constData(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);  // another Tessaro run, or any program
  HelperRun ran = runHelper({"format", loop.name(), "X", "default"});
  EXPECT_EQ(ran.status, contract::deviceBusy) << ran.lines.join('\n').toStdString();
  ran = runHelper({"check", loop.name()});
  EXPECT_EQ(ran.status, contract::deviceBusy);
  close(fd);

  const int exclusive = open(loop.device().toLocal8Bit().constData(), O_RDONLY | O_EXCL);
  ASSERT_GE(exclusive, 0);  // as a mounted file system or md would hold it
  ran = runHelper({"format", loop.name(), "X", "default"});
  EXPECT_EQ(ran.status, contract::deviceBusy) << ran.lines.join('\n').toStdString();
  EXPECT_TRUE(ran.lines.last().contains("in use by another program"));
  close(exclusive);
  EXPECT_EQ(loop.hash(), before);
}

// The caller cancels, or goes away, before the first write: nothing written.
TEST_F(HelperLoopTest, CancelOrAGoneCallerBeforeTheFirstWriteChangesNothing) {
  const QString before = loop.hash();
  HelperRun ran = runHelper({"format", loop.name(), "X", "default"}, QByteArray("cancel\n"));
  EXPECT_EQ(ran.status, contract::cancelled) << ran.lines.join('\n').toStdString();
  EXPECT_EQ(ran.lines.last(), "Cancelled: nothing was written to " + loop.device() + ".");
  ran = runHelper({"format", loop.name(), "X", "default"}, QByteArray());
  EXPECT_EQ(ran.status, contract::cancelled);
  ran = runHelper({"check", loop.name()}, QByteArray());
  EXPECT_EQ(ran.status, contract::cancelled);
  EXPECT_EQ(ran.lines.filter("$ ").size(), 0);
  EXPECT_EQ(loop.hash(), before);
}

// A stick with FAT on the whole disk (no partition table) is checked there,
// and the tools are found whatever PATH the caller had.
TEST_F(HelperLoopTest, ASuperfloppyIsCheckedOnTheWholeDiskWithoutPath) {
  ASSERT_EQ(QProcess::execute("/usr/sbin/mkfs.fat", {"-F", "32", "-n", "FLOPPY", loop.device()}),
            0);
  QProcessEnvironment environment;
  environment.insert("PATH", "/nonexistent");
  const HelperRun ran = runHelper({"check", loop.name()}, {}, environment);
  EXPECT_EQ(ran.status, 0) << ran.lines.join('\n').toStdString();
  EXPECT_EQ(ran.lines.value(1), "$ /usr/sbin/fsck.fat -a -w -v " + loop.device());
}

// A read-back tool that says nothing usable never passes for "not FAT32":
// the format of a partition is refused, a busy one is named.
TEST_F(HelperLoopTest, APartitionIsNoDiskToFormat) {
  ASSERT_EQ(
      QProcess::execute("/bin/sh", {"-c", "printf 'start=2048, type=c\\n' | sfdisk -q " +
                                              loop.device() + " && partx -u " + loop.device()}),
      0);
  const QString before = loop.hash();
  const HelperRun ran = runHelper({"format", loop.name() + "p1", "X", "default"});
  EXPECT_EQ(ran.status, contract::refusedDevice);
  EXPECT_EQ(ran.lines.last(),
            "Refused: " + loop.device() + "p1 is a partition; a format erases a whole disk.");
  EXPECT_EQ(runHelper({"format", loop.name(), "X", "1536"}).status, contract::refusedRequest);
  EXPECT_EQ(runHelper({"format", loop.name(), "X ", "default"}).status, contract::refusedRequest);
  EXPECT_EQ(runHelper({"format", loop.name(), "no name", "default"}).status,
            contract::refusedRequest);
  EXPECT_EQ(loop.hash(), before);
}

}  // namespace
