// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <set>
#include <string>
#include <vector>

#include "drives/linux/ToolAvailability.h"

using namespace tessaro;

namespace {

ToolProbe allBut(const std::set<std::string>& absent) {
  return [absent](const std::string& tool) { return !absent.contains(tool); };
}

TEST(ToolAvailability, PkexecIsOnlyNeededWithoutRoot) {
  EXPECT_EQ(findMissingTools(allBut({"pkexec"}), false),
            std::vector<MissingTools>({{{"pkexec"}, "pkexec", true}}));
  EXPECT_TRUE(findMissingTools(allBut({"pkexec"}), true).empty());
}

// The window looks where the helper looks: the system's directories, not PATH.
TEST(ToolAvailability, RealProbeLooksWhereTheHelperLooks) {
  // A desktop user's PATH often lacks /usr/sbin, where mkfs.fat lives on Debian.
  QTemporaryDir onPath;
  ASSERT_TRUE(onPath.isValid());
  QFile impostor(onPath.filePath("tessaro-only-on-path"));
  ASSERT_TRUE(impostor.open(QIODevice::WriteOnly));
  impostor.write("#!/bin/sh\n");
  impostor.close();
  impostor.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", onPath.path().toLocal8Bit());
  const bool sbinToolFound = isToolInstalled("mkfs.fat");
  const bool pathToolFound = isToolInstalled("tessaro-only-on-path");
  qputenv("PATH", savedPath);
  EXPECT_TRUE(sbinToolFound) << "dosfstools is installed on test machines";
  EXPECT_FALSE(pathToolFound) << "the helper would not find it";
  EXPECT_FALSE(isToolInstalled("tessaro-no-such-tool"));
  EXPECT_EQ(systemToolPath("sh", {"/nonexistent", "/bin"}), "/bin/sh");
  EXPECT_EQ(systemToolPath("../bin/sh", {"/bin"}), "");
  // Every tool the helper runs has its package, and one the table does not know is its own.
  EXPECT_EQ(packageOf("umount"), "mount");
  EXPECT_EQ(packageOf("findmnt"), "util-linux");
  EXPECT_EQ(missingOf({"sfdisk", "frobnicate"}, allBut({"frobnicate"})),
            std::vector<MissingTools>({{{"frobnicate"}, "frobnicate", true}}));
}

}  // namespace
