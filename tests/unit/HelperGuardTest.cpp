#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>

#include "../e2e/LoopImage.h"
#include "helper/HelperVerbs.h"

using namespace tessaro::helper;

namespace {

std::pair<int, QString> runHelper(const QStringList& args) {
  return tessaro::test::runProgram(TESSARO_HELPER_BUILD_PATH, args);
}

TEST(HelperGuardTest, UsageErrorsAndWhatIsNotABlockDeviceAreRefused) {
  EXPECT_EQ(runHelper({"erase"}).first, kUsage);
  EXPECT_EQ(runHelper({"format", "/dev/null"}).first, kUsage);
  const auto [status, output] = runHelper({"format", "/dev/null", "X", "default"});
  EXPECT_EQ(status, kRefusedDevice);
  EXPECT_TRUE(output.endsWith("\nRefused: /dev/null is not a block device."))
      << output.toStdString();
}

// This machine's own disk: the guard must refuse it before running anything.
// The volume name is invalid as well, so that even a broken guard would stop
// at the name check instead of erasing the disk.
TEST(HelperGuardTest, RefusesTheSystemDiskBeforeRunningAnything) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: the helper's guard runs as root";
  if (!QFileInfo::exists("/dev/vda")) GTEST_SKIP() << "no /dev/vda here";
  const auto [status, output] = runHelper({"format", "/dev/vda", "NOT:A*VALID NAME", "default"});
  EXPECT_EQ(status, kRefusedDevice);
  EXPECT_TRUE(output.startsWith(QString(kStartedMarker) + "\nRefused: /dev/vda "))
      << output.toStdString();
  EXPECT_EQ(output.count('\n'), 1) << output.toStdString();
}

}  // namespace
