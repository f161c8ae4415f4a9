#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "drives/ToolAvailability.h"

using tessaro::findMissingTools;
using tessaro::isToolInstalled;
using tessaro::MissingTools;

namespace {

tessaro::ToolProbe allBut(const QStringList& absent) {
  QSet<QString> set(absent.begin(), absent.end());
  return [set](const QString& tool) { return !set.contains(tool); };
}

QStringList messages(const QList<MissingTools>& missing) {
  QStringList lines;
  for (const auto& m : missing) lines << m.message();
  return lines;
}

}  // namespace

TEST(ToolAvailability, NothingMissingGivesNothing) {
  EXPECT_TRUE(findMissingTools(allBut({}), false).isEmpty());
}

TEST(ToolAvailability, MissingToolsAreGroupedByPackageInOrder) {
  auto missing = findMissingTools(
      allBut({"fsck.fat", "udisksctl", "sfdisk", "blkid", "mkfs.fat", "wipefs", "lsblk"}), false);
  EXPECT_EQ(messages(missing),
            QStringList({"lsblk, wipefs and blkid not found: install util-linux",
                         "sfdisk not found: install fdisk",
                         "mkfs.fat and fsck.fat not found: install dosfstools",
                         "udisksctl not found: install udisks2, or a drive will not be mounted "
                         "after it is formatted"}));
  ASSERT_EQ(missing.size(), 4);
  EXPECT_TRUE(missing[2].required);
  EXPECT_FALSE(missing[3].required);
}

TEST(ToolAvailability, PkexecIsOnlyNeededWithoutRoot) {
  EXPECT_EQ(findMissingTools(allBut({"pkexec"}), false),
            QList<MissingTools>({{{"pkexec"}, "pkexec", true}}));
  EXPECT_TRUE(findMissingTools(allBut({"pkexec"}), true).isEmpty());
}

TEST(ToolAvailability, RealProbeFindsSbinToolsOutsidePathAndIgnoresNonExecutables) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile notExecutable(dir.filePath("tessaro-not-a-tool"));
  ASSERT_TRUE(notExecutable.open(QIODevice::WriteOnly));
  notExecutable.close();

  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", dir.path().toLocal8Bit());
  // A desktop user's PATH often lacks /usr/sbin, where mkfs.fat lives on Debian.
  const bool sbinToolFound = isToolInstalled("mkfs.fat");
  const bool nonExecutableFound = isToolInstalled("tessaro-not-a-tool");
  qputenv("PATH", savedPath);

  EXPECT_TRUE(sbinToolFound) << "dosfstools is installed on test machines";
  EXPECT_FALSE(nonExecutableFound);
  EXPECT_FALSE(isToolInstalled("tessaro-no-such-tool"));
  EXPECT_TRUE(isToolInstalled("sh"));
}
