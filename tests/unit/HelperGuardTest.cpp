#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>
#include <QProcess>

#include "helper/HelperVerbs.h"

using namespace tessaro::helper;

namespace {

// The helper's exit status and what it printed, one entry a line.
std::pair<int, QStringList> runHelper(const QStringList& args) {
  QProcess helper;
  helper.setProcessChannelMode(QProcess::MergedChannels);
  helper.start(TESSARO_HELPER_BUILD_PATH, args);
  helper.waitForFinished(60000);
  return {helper.exitCode(), QString::fromUtf8(helper.readAll()).split('\n', Qt::SkipEmptyParts)};
}

TEST(HelperGuardTest, UsageErrorsAndWhatIsNotABlockDeviceAreRefused) {
  EXPECT_EQ(runHelper({"erase"}).first, kUsage);
  EXPECT_EQ(runHelper({"format", "/dev/null"}).first, kUsage);
  const auto [status, lines] = runHelper({"format", "/dev/null", "X", "default"});
  EXPECT_EQ(status, kRefusedDevice);
  EXPECT_EQ(lines.value(1), "Refused: /dev/null is not a block device.");
}

// This machine's own disk: the guard must refuse it before running anything.
// The volume name is invalid as well, so that even a broken guard would stop
// at the name check instead of erasing the disk.
TEST(HelperGuardTest, RefusesTheSystemDiskBeforeRunningAnything) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: the helper's guard runs as root";
  if (!QFileInfo::exists("/dev/vda")) GTEST_SKIP() << "no /dev/vda here";
  const auto [status, lines] = runHelper({"format", "/dev/vda", "NOT:A*VALID NAME", "default"});
  EXPECT_EQ(status, kRefusedDevice);
  ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
  EXPECT_EQ(lines[0], kStartedMarker);
  EXPECT_TRUE(lines[1].startsWith("Refused: /dev/vda "));
}

}  // namespace
