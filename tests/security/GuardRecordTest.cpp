// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The guard reads a disk from the kernel itself (SysfsBlockTree) where it
// used to start lsblk: on loop devices this test made, a plain one, a
// partitioned one and one whose partition is mounted twice (a bind mount
// too, in a private mount namespace), its record equals lsblk's, field by
// field; so is its record in the drive list the window and the command
// line read in process, against lsblk's whole list.

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>

#include "Capability.h"
#include "SecurityTest.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LsblkJson.h"
#include "drives/linux/SysfsBlockTree.h"

namespace tessaro::security {
namespace {

using GuardRecord = SecurityTest;

// Where two records differ: both as lsblk prints them, every field and
// every device below, or nothing when they agree.
QString differences(const LsblkDevice& ours, const LsblkDevice& lsblk) {
  const QString mine = LsblkJson::toText({ours}), theirs = LsblkJson::toText({lsblk});
  return mine == theirs ? QString() : mine + QStringLiteral("where lsblk says\n") + theirs;
}

const LsblkDevice* named(const std::vector<LsblkDevice>& list, const QString& name) {
  for (const LsblkDevice& device : list)
    if (device.name == name.toStdString()) return &device;
  return nullptr;
}

TEST_F(GuardRecord, EqualsLsblksRecordOnLoopDevicesOfThisTest) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  LoopDisk plain{{.blank = true}}, partitioned, mounted;
  ASSERT_TRUE(plain.ready() && partitioned.ready() && mounted.ready());
  ASSERT_TRUE(makeExt4(mounted.partitionPath()));
  QTemporaryDir first(QDir::tempPath() + "/tessaro guard\tfirst-XXXXXX"),
      second(QDir::tempPath() + "/tessaro-guard-second-XXXXXX");
  ASSERT_TRUE(first.isValid() && second.isValid());

  // The child mounts in a namespace of its own, which goes with it; what it
  // found comes back through a pipe.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    QByteArray report;
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(mounted.partitionPath().toUtf8().constData(), first.path().toUtf8().constData(),
                "ext4", 0, nullptr) != 0 ||
        ::mount(first.path().toUtf8().constData(), second.path().toUtf8().constData(), nullptr,
                MS_BIND, nullptr) != 0) {
      report = "SKIP the ext4 partition could not be mounted in a private namespace";
    } else {
      // The drive list the window and the command line read in process, and
      // the guard's record of each disk, against lsblk's whole list.
      const std::optional<QString> listText = LinuxDiskTools().readList();
      const std::vector<LsblkDevice> list = LsblkJson::parseList(listText.value_or("{}"));
      const std::vector<LsblkDevice> lsblkList =
          LsblkJson::parseList(test::runProgram("/usr/bin/lsblk", LsblkJson::arguments()).second);
      for (const LoopDisk* disk : {&plain, &partitioned, &mounted}) {
        std::string failure;
        const auto ours = SysfsBlockTree::read(disk->name().toStdString(), {}, &failure);
        const LsblkDevice* listed = named(list, disk->name());
        const LsblkDevice* lsblks = named(lsblkList, disk->name());
        if (!ours || !listed || !lsblks) {
          report += (disk->name() + " is missing: " + QString::fromStdString(failure)).toUtf8();
          continue;
        }
        report += (differences(*listed, *lsblks) + differences(*ours, *lsblks)).toUtf8();
        // The bind mount and the mount are both seen, the last one first.
        if (disk == &mounted &&
            (ours->children.empty() ||
             ours->children.front().mountpoints !=
                 std::vector<std::string>{second.path().toStdString(), first.path().toStdString()}))
          report += "the mounted partition's two mount points are not both seen\n";
      }
    }
    // Unmounted here, so that the partition is let go before this test
    // detaches its loop device, not whenever the namespace is torn down.
    ::umount2(second.path().toUtf8().constData(), 0);
    ::umount2(first.path().toUtf8().constData(), 0);
    [[maybe_unused]] const ssize_t written = ::write(fds[1], report.constData(), report.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  QFile pipe;
  pipe.open(fds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
  const QByteArray report = pipe.readAll();
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  if (report.startsWith("SKIP ")) GTEST_SKIP() << report.mid(5).toStdString();
  EXPECT_EQ(report.toStdString(), "")
      << "a guard that sees less than lsblk lets a mounted or system disk through";
}

}  // namespace
}  // namespace tessaro::security
