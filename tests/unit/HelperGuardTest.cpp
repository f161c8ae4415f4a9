#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>
#include <QProcess>

#include "helper/HelperVerbs.h"

namespace {

struct HelperRun {
  int status = -1;
  QStringList lines;
};

HelperRun runHelper(const QStringList& args) {
  QProcess helper;
  helper.setProcessChannelMode(QProcess::MergedChannels);
  helper.start(QStringLiteral(TESSARO_HELPER_BUILD_PATH), args);
  helper.waitForFinished(60000);
  return {helper.exitCode(), QString::fromUtf8(helper.readAll()).split('\n', Qt::SkipEmptyParts)};
}

TEST(HelperGuardTest, UnknownVerbOrMissingArgumentsIsAUsageError) {
  EXPECT_EQ(runHelper({QStringLiteral("erase")}).status, tessaro::helper::kUsage);
  EXPECT_EQ(runHelper({QStringLiteral("format"), QStringLiteral("/dev/null")}).status,
            tessaro::helper::kUsage);
}

// This machine's own disk: the guard must refuse it before running anything.
// The volume name is invalid as well, so that even a broken guard would stop
// at the name check instead of erasing the disk.
TEST(HelperGuardTest, RefusesTheSystemDiskBeforeRunningAnything) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: the helper's guard runs as root";
  if (!QFileInfo(QStringLiteral("/dev/vda")).exists()) GTEST_SKIP() << "no /dev/vda here";
  const HelperRun run = runHelper({QStringLiteral("format"), QStringLiteral("/dev/vda"),
                                   QStringLiteral("NOT:A*VALID NAME"), QStringLiteral("default")});
  EXPECT_EQ(run.status, tessaro::helper::kRefusedDevice);
  ASSERT_EQ(run.lines.size(), 2) << run.lines.join('\n').toStdString();
  EXPECT_EQ(run.lines[0], QLatin1String(tessaro::helper::kStartedMarker));
  EXPECT_TRUE(run.lines[1].startsWith(QStringLiteral("Refused: /dev/vda ")));
}

TEST(HelperGuardTest, RefusesWhatIsNotABlockDevice) {
  const HelperRun run = runHelper({QStringLiteral("format"), QStringLiteral("/dev/null"),
                                   QStringLiteral("X"), QStringLiteral("default")});
  EXPECT_EQ(run.status, tessaro::helper::kRefusedDevice);
  EXPECT_EQ(run.lines.value(1), QStringLiteral("Refused: /dev/null is not a block device."));
}

}  // namespace
