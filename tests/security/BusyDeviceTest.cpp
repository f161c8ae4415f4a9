// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Drives that something else is using, in ways lsblk may not show: a
// partition mounted outside /media, a disk another program opened
// exclusively or locked, a member of a mounted multi-device file system. Refused, and
// not a byte changed.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <set>

#include "SecurityTest.h"

namespace tessaro::security {
namespace {

using BusyDevice = SecurityTest;

const std::set<int> refused{C::refusedDevice, C::deviceBusy};

struct BusyRun {
  QByteArrayList args;
  const char* because;
};

void expectRefusedAndUntouched(const std::vector<BusyRun>& runs, const LoopDisk& disk,
                               const std::set<int>& allowed = refused) {
  const QString before = disk.hash();
  for (const BusyRun& run : runs) {
    SCOPED_TRACE(run.args.join(' ').toStdString() + "\n  because " + run.because);
    const HelperRun::Result result = HelperRun::run(run.args, {}, 120000);
    EXPECT_TRUE(allowed.count(result.status)) << describe(result);
    EXPECT_EQ(writingCommands(result.lines), QStringList()) << "a refused run wrote or unmounted";
    EXPECT_EQ(disk.hash(), before) << "a drive in use was written to";
  }
}

// Holds a device as another program does: open with O_EXCL, as one that owns
// it; or with LOCK_EX on the whole disk's node, the convention udev and
// systemd follow for a program that writes to a disk.
class Holder {
 public:
  Holder(const QString& path, bool lock)
      : fd_(::open(QFile::encodeName(path).constData(),
                   O_RDONLY | O_CLOEXEC | (lock ? 0 : O_EXCL))) {
    if (lock && fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Holder() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

TEST_F(BusyDevice, APartitionMountedOutsideMediaIsNeitherUnmountedNorTouched) {
  LoopDisk disk;
  ASSERT_TRUE(disk.ready());
  ASSERT_TRUE(makeExt4(disk.partitionPath()));
  const Mount mount(disk.partitionPath(), QStringLiteral("ext4"));
  ASSERT_TRUE(mount.mounted());
  expectRefusedAndUntouched(
      {
          {{"format", disk.name().toUtf8(), "X", "default"},
           "the files on a mounted partition are erased under the program using them"},
          {{"check", disk.partitionName().toUtf8()},
           "a repair unmounts a partition someone is working on"},
      },
      disk);
  EXPECT_TRUE(mount.mounted()) << "the helper unmounted a file system it was refused";
}

TEST_F(BusyDevice, ADiskOrPartitionAnotherProgramHoldsIsRefused) {
  LoopDisk disk{{.dirty = true}};  // dirty, so that a check writes too
  ASSERT_TRUE(disk.ready());
  const std::tuple<QString, bool, std::set<int>> holders[] = {
      {disk.devicePath(), false, refused},
      {disk.partitionPath(), false, refused},
      {disk.devicePath(), true, {C::deviceBusy}},
  };
  for (const auto& [held, lock, allowed] : holders) {
    SCOPED_TRACE((lock ? "locked: " : "opened exclusively: ") + held.toStdString());
    const Holder holder(held, lock);
    ASSERT_TRUE(holder.held());
    expectRefusedAndUntouched(
        {
            {{"format", disk.name().toUtf8(), "X", "default"},
             "the disk, or a partition in use on it, is erased under the program that holds it"},
            {{"check", disk.partitionName().toUtf8()},
             "a repair writes under the program that holds the disk or partition"},
        },
        disk, allowed);
  }
}

// A check unmounts what the desktop mounted under /media, and only then runs
// fsck.fat; where the unmount fails (a program has a file open there) it
// stops before fsck.fat, and says so. Here the partition holds ext4 (this
// kernel has no vfat driver), which fsck.fat must not call clean either.
TEST_F(BusyDevice, ACheckUnmountsUnderMediaAndStopsWhereTheUnmountFails) {
  LoopDisk disk;
  ASSERT_TRUE(disk.ready());
  ASSERT_TRUE(makeExt4(disk.partitionPath()));
  QDir().mkpath(QStringLiteral("/media"));
  QTemporaryDir media(QStringLiteral("/media/tessaro-check-XXXXXX"));
  if (!media.isValid()) GTEST_SKIP() << "no directory can be made under /media";
  ASSERT_EQ(runTool(QStringLiteral("mount"), {disk.partitionPath(), media.path()}).status, 0);
  const auto mounted = [&] {
    return runTool(QStringLiteral("findmnt"), {QStringLiteral("--source"), disk.partitionPath()})
               .status == 0;
  };
  const auto ranFsck = [](const QStringList& lines) {
    return std::count_if(lines.begin(), lines.end(), [](const QString& line) {
      return line.startsWith(QLatin1String("$ ")) && line.contains(QLatin1String("/fsck.fat "));
    });
  };
  {
    QFile open(media.filePath(QStringLiteral("in-use")));
    ASSERT_TRUE(open.open(QIODevice::WriteOnly));
    const HelperRun::Result busy = HelperRun::run({"check", disk.partitionName().toUtf8()});
    EXPECT_EQ(busy.status, C::toolFailed) << describe(busy);
    EXPECT_TRUE(busy.lines.join('\n').contains(" could not be unmounted (exit status "))
        << describe(busy);
    EXPECT_EQ(ranFsck(busy.lines), 0) << describe(busy);
    EXPECT_TRUE(mounted()) << "the file a program has open went away under it";
  }
  const HelperRun::Result result = HelperRun::run({"check", disk.partitionName().toUtf8()});
  EXPECT_TRUE(result.lines.contains("$ /usr/bin/umount --all-targets " + disk.partitionPath()))
      << describe(result);
  EXPECT_FALSE(mounted()) << describe(result);
  EXPECT_GE(ranFsck(result.lines), 1) << describe(result);
  EXPECT_NE(result.status, C::success) << "an ext4 partition passed as a clean FAT file system";
  if (mounted()) runTool(QStringLiteral("umount"), {media.path()});
}

// Between check's test that nothing holds the partition and fsck.fat's end,
// nothing may claim it (an automounter mounting it again): fsck.fat would
// rewrite a file system in use.
TEST_F(BusyDevice, NothingClaimsAPartitionWhileItIsChecked) {
  LoopDisk disk{{.dirty = true}};
  ASSERT_TRUE(disk.ready());
  HelperRun check({"check", disk.partitionName().toUtf8()});
  const auto repair = check.waitForLine([](const QString& line) {
    return line.startsWith(QLatin1String("$ ")) && line.contains(QLatin1String("fsck.fat -a"));
  });
  ASSERT_TRUE(repair) << describe(check.finish());
  check.freeze();  // at fsck.fat, after the test that nothing held the partition
  {
    const Holder claim(disk.partitionPath(), false);
    EXPECT_FALSE(claim.held()) << "another program claimed the partition while it was checked";
  }
  check.thaw();
  const HelperRun::Result result = check.finish();
  EXPECT_TRUE(result.status == 0 || result.status == 1) << describe(result);
}

// Between the busy test and the partition table's last write the helper holds
// the disk exclusively: an automounter that tries to claim a partition then
// (here while the helper is frozen as it shows the wipefs command) is turned
// away, and the format goes on to a verified end.
TEST_F(BusyDevice, NothingCanClaimThePartitionWhileTheTableIsWritten) {
  LoopDisk disk;
  ASSERT_TRUE(disk.ready());
  HelperRun format({"format", disk.name().toUtf8(), "X", "default"});
  const auto wipe = format.waitForLine([](const QString& line) {
    return line.startsWith(QLatin1String("$ ")) && line.contains(QLatin1String("wipefs"));
  });
  ASSERT_TRUE(wipe) << describe(format.finish());
  format.freeze();
  const bool claimed = Holder(disk.partitionPath(), false).held();
  format.thaw();
  const HelperRun::Result result = format.finish();
  EXPECT_FALSE(claimed) << "another program claimed the partition while the helper erased it";
  EXPECT_EQ(result.status, C::success) << describe(result);
}

// A btrfs raid1 mounted from its first member: the second one shows no mount
// point in lsblk, yet erasing it breaks the mounted file system.
TEST_F(BusyDevice, AMemberOfAMountedMultiDeviceFileSystemIsRefused) {
  if (!QFileInfo(QStringLiteral("/usr/sbin/mkfs.btrfs")).isExecutable()) {
    GTEST_SKIP() << "mkfs.btrfs is missing: install btrfs-progs (./setup does)";
  }
  // btrfs wants 125 MiB a device at least.
  LoopDisk first{{.label = QStringLiteral("MEMBER1"), .bytes = 128 * 1024 * 1024}};
  LoopDisk second{{.label = QStringLiteral("MEMBER2"), .bytes = 128 * 1024 * 1024}};
  ASSERT_TRUE(first.ready() && second.ready());
  const ToolRun made =
      runTool(QStringLiteral("/usr/sbin/mkfs.btrfs"),
              {QStringLiteral("--force"), QStringLiteral("--nodiscard"), QStringLiteral("--data"),
               QStringLiteral("raid1"), QStringLiteral("--metadata"), QStringLiteral("raid1"),
               first.devicePath(), second.devicePath()});
  ASSERT_EQ(made.status, 0) << made.output.toStdString();
  {
    const Mount mount(first.devicePath(), QStringLiteral("btrfs"),
                      {QStringLiteral("ro"), QStringLiteral("device=") + first.devicePath(),
                       QStringLiteral("device=") + second.devicePath()});
    ASSERT_TRUE(mount.mounted());
    expectRefusedAndUntouched(
        {
            {{"format", second.name().toUtf8(), "X", "default"},
             "a mounted file system loses one of its devices, and its redundancy, unasked"},
            {{"check", second.name().toUtf8()},
             "a repair writes to a device of a mounted file system"},
        },
        second);
    EXPECT_TRUE(mount.mounted());
  }
  // The kernel remembers btrfs devices it has seen; forget ours before the
  // loop numbers go back to the pool.
  for (const LoopDisk* member : {&first, &second}) {
    runTool(QStringLiteral("btrfs"), {QStringLiteral("device"), QStringLiteral("scan"),
                                      QStringLiteral("--forget"), member->devicePath()});
  }
}

}  // namespace
}  // namespace tessaro::security
