// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QSet>

#include "drives/linux/ToolAvailability.h"

using namespace tessaro;

namespace {

ToolProbe allBut(const QStringList& absent) {
  return [set = QSet<QString>(absent.begin(), absent.end())](const QString& tool) {
    return !set.contains(tool);
  };
}

TEST(ToolAvailability, MissingToolsAreGroupedByPackageInOrder) {
  const auto missing = findMissingTools(
      allBut({"fsck.fat", "udisksctl", "sfdisk", "blkid", "mkfs.fat", "wipefs", "lsblk"}), false);
  QStringList messages;
  for (const MissingTools& group : missing) messages << group.message();
  EXPECT_EQ(messages, QStringList({"lsblk, wipefs and blkid not found: install util-linux",
                                   "sfdisk not found: install fdisk",
                                   "mkfs.fat and fsck.fat not found: install dosfstools",
                                   "udisksctl not found: install udisks2, or a drive will not be "
                                   "mounted after it is formatted"}));
  ASSERT_EQ(missing.size(), 4);
  EXPECT_TRUE(missing[2].required);
  EXPECT_FALSE(missing[3].required);
}

TEST(ToolAvailability, PkexecIsOnlyNeededWithoutRoot) {
  EXPECT_EQ(findMissingTools(allBut({"pkexec"}), false),
            QList<MissingTools>({{{"pkexec"}, "pkexec", true}}));
  EXPECT_TRUE(findMissingTools(allBut({"pkexec"}), true).isEmpty());
}

TEST(ToolAvailability, RealProbeFindsSbinToolsOutsidePath) {
  // A desktop user's PATH often lacks /usr/sbin, where mkfs.fat lives on Debian.
  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  const bool sbinToolFound = isToolInstalled("mkfs.fat");
  qputenv("PATH", savedPath);
  EXPECT_TRUE(sbinToolFound) << "dosfstools is installed on test machines";
  EXPECT_FALSE(isToolInstalled("tessaro-no-such-tool"));
}

}  // namespace
