// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The guard reads a disk from the kernel itself (SysfsBlockTree) where it
// used to start lsblk: on loop devices this test made, a plain one, a
// partitioned one and one whose partition is mounted twice (a bind mount
// too, under a directory whose name holds a blank and a tab), its record
// equals lsblk's, field by field; so is its record in the drive list the
// window and the command line read in process, against lsblk's whole list.

#include <QDir>

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
  LoopDisk plain{{.blank = true}}, partitioned, mounted;
  ASSERT_TRUE(plain.ready() && partitioned.ready() && mounted.ready());
  ASSERT_TRUE(makeExt4(mounted.partitionPath()));
  QTemporaryDir parent(QDir::tempPath() + "/tessaro guard\tmounts-XXXXXX");
  ASSERT_TRUE(parent.isValid());
  const Mount first(mounted.partitionPath(), "ext4", {}, parent.path());
  const Mount second(first.path(), "none", {"bind"}, parent.path());
  ASSERT_TRUE(first.mounted() && second.mounted());

  const std::vector<LsblkDevice> list =
      LsblkJson::parseList(LinuxDiskTools().readList().value_or("{}"));
  const std::vector<LsblkDevice> lsblkList =
      LsblkJson::parseList(test::runProgram("/usr/bin/lsblk", LsblkJson::arguments()).second);
  for (const LoopDisk* disk : {&plain, &partitioned, &mounted}) {
    SCOPED_TRACE(disk->name().toStdString());
    std::string failure;
    const auto ours = SysfsBlockTree::read(disk->name().toStdString(), {}, &failure);
    const LsblkDevice* listed = named(list, disk->name());
    const LsblkDevice* lsblks = named(lsblkList, disk->name());
    ASSERT_TRUE(ours && listed && lsblks) << failure;
    EXPECT_EQ(differences(*listed, *lsblks), "");
    EXPECT_EQ(differences(*ours, *lsblks), "")
        << "a guard that sees less than lsblk lets a mounted or system disk through";
    // The bind mount and the mount are both seen, the last one first.
    if (disk == &mounted) {
      ASSERT_FALSE(ours->children.empty());
      EXPECT_EQ(ours->children.front().mountpoints,
                (std::vector<std::string>{second.path().toStdString(), first.path().toStdString()}));
    }
  }
}

}  // namespace
}  // namespace tessaro::security
