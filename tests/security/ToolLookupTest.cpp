// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The programs the helper runs: found by absolute path whatever PATH says,
// and every one of them found before the first write.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <iostream>

#include "SecurityTest.h"
#include "Capability.h"

extern char** environ;

namespace tessaro::security {
namespace {

using ToolLookup = SecurityTest;

// The test's environment with PATH replaced, or removed when path is null.
QByteArrayList environmentWithPath(const char* path) {
  QByteArrayList environment;
  for (char** entry = environ; *entry; ++entry) {
    if (!QByteArray(*entry).startsWith("PATH=")) environment << QByteArray(*entry);
  }
  if (path) environment << QByteArray("PATH=") + path;
  return environment;
}

// Programs named like every tool a format or check could run, each of which
// leaves a file named after itself in ranDir and claims success.
bool makeImpostors(const QString& binDir, const QString& ranDir) {
  for (const char* name :
       {"wipefs",    "sfdisk",    "partx",    "mkfs.fat", "mkfs.vfat", "mkdosfs", "fsck.fat",
        "fsck.vfat", "dosfsck",   "blkid",    "lsblk",    "findmnt",   "mount",   "umount",
        "udevadm",   "udisksctl", "blockdev", "dd",       "flock",     "sh",      "bash"}) {
    QFile script(binDir + QLatin1Char('/') + QLatin1String(name));
    if (!script.open(QIODevice::WriteOnly)) return false;
    script.write("#!/bin/sh\n: > '" + QFile::encodeName(ranDir) + "/" + name + "'\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadOther | QFile::ExeOther);
  }
  return true;
}

TEST_F(ToolLookup, ThePathOfTheCallerDecidesNothing) {
  QTemporaryDir bin, ran;
  ASSERT_TRUE(bin.isValid() && ran.isValid() && makeImpostors(bin.path(), ran.path()));
  const QByteArray impostors = QFile::encodeName(bin.path());
  const QByteArray impostorsFirst = impostors + ":/usr/sbin:/usr/bin:/sbin:/bin";
  const std::vector<std::pair<QByteArrayList, const char*>> environments{
      {environmentWithPath("/usr/bin:/bin"),
       "root with a PATH lacking /usr/sbin cannot format or check at all"},
      {environmentWithPath(nullptr), "a caller without PATH cannot format or check at all"},
      {environmentWithPath(impostors.constData()),
       "the caller's programs run as root in place of the system's"},
      {environmentWithPath(impostorsFirst.constData()),
       "the caller's programs run as root in place of the system's"},
  };
  for (const auto& [environment, because] : environments) {
    QByteArray path = "no PATH";
    for (const QByteArray& entry : environment) {
      if (entry.startsWith("PATH=")) path = entry;
    }
    SCOPED_TRACE(path.toStdString() + "\n  because " + because);
    LoopDisk disk;
    ASSERT_TRUE(disk.ready());
    const HelperRun::Result format =
        HelperRun::run({"format", disk.name().toUtf8(), "PATHTEST", "default"}, {environment});
    EXPECT_EQ(format.status, C::success) << describe(format);
    EXPECT_EQ(disk.fatLabel(), QStringLiteral("FAT32 PATHTEST"));
    const HelperRun::Result check =
        HelperRun::run({"check", disk.partitionName().toUtf8()}, {environment});
    EXPECT_EQ(check.status, 0) << describe(check);
    EXPECT_EQ(QDir(ran.path()).entryList(QDir::Files), QStringList())
        << "programs from the caller's PATH ran as root";
  }
}

// The programs a successful run showed, each once, in order.
QStringList programsShown(const HelperRun::Result& result) {
  QStringList programs;
  for (const QString& line : commandLines(result.lines)) {
    if (!programs.contains(programOf(line))) programs << programOf(line);
  }
  return programs;
}

// Runs args with each program that baseline, a successful run of the same
// verb, showed hidden in a private mount namespace: each run must stop before
// its first write, say that the program is missing and name the package that
// installs it.
void expectEachToolFoundBeforeWriting(const HelperRun::Result& baseline, const QByteArrayList& args,
                                      const LoopDisk& disk, const char* because) {
  ASSERT_TRUE(baseline.status == 0 || baseline.status == 1) << describe(baseline);
  const QStringList programs = programsShown(baseline);
  ASSERT_FALSE(programs.isEmpty()) << "the run showed no command: " << describe(baseline);
  for (const QString& program : programs) {
    SCOPED_TRACE(args.join(' ').toStdString() + " without " + program.toStdString() +
                 "\n  because " + because);
    ASSERT_TRUE(program.startsWith(QLatin1Char('/')))
        << "found through PATH, which the caller chooses";
    const QString path = QFileInfo(program).canonicalFilePath();
    ASSERT_FALSE(path.isEmpty());
    const QString package = packageOwning(path);
    const QString before = disk.hash();
    const HelperRun::Result result = HelperRun::run(args, {.hiddenTool = path});
    std::cout << "  without " << path.toStdString() << " (" << package.toStdString()
              << "): " << result.status << "\n";
    EXPECT_EQ(result.status, C::toolMissing) << describe(result);
    EXPECT_EQ(writingCommands(result.lines), QStringList()) << "it wrote before finding out";
    EXPECT_EQ(disk.hash(), before) << "the drive was changed before a missing tool was noticed";
    if (!package.isEmpty()) {
      EXPECT_TRUE(result.lines.join('\n').contains(package))
          << "the package " << package.toStdString() << " is not named; " << describe(result);
    }
  }
}

// The baselines run on a drive of their own; the runs without a tool on a
// drive whose data (and, for a check, dirty flag) any write would change.
TEST_F(ToolLookup, EachToolAFormatNeedsIsFoundBeforeTheFirstWrite) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  LoopDisk formatted, kept;
  ASSERT_TRUE(formatted.ready() && kept.ready());
  expectEachToolFoundBeforeWriting(
      HelperRun::run({"format", formatted.name().toUtf8(), "TOOLS", "default"}),
      {"format", kept.name().toUtf8(), "TOOLS", "default"}, kept,
      "the drive is wiped, then the format stops half-way and leaves no file system");
}

TEST_F(ToolLookup, EachToolACheckNeedsIsFoundBeforeTheFirstWrite) {
  if (const std::string why = test::missingMountNamespace(); !why.empty()) GTEST_SKIP() << why;
  LoopDisk repaired{{.dirty = true}}, kept{{.dirty = true}};
  ASSERT_TRUE(repaired.ready() && kept.ready());
  expectEachToolFoundBeforeWriting(HelperRun::run({"check", repaired.partitionName().toUtf8()}),
                                   {"check", kept.partitionName().toUtf8()}, kept,
                                   "a repair starts that cannot finish");
}

}  // namespace
}  // namespace tessaro::security
