#include <gtest/gtest.h>
#include <unistd.h>

#include <QtEndian>

#include "../unit/Await.h"
#include "CheckLoopDevice.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "ui/ContentView.h"

using namespace tessaro;

namespace {

// A window over the real tools and the helper of this build, run as root, on
// a loop disk of its own.
class CheckAndInfoEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to attach loop devices";
    auto tools =
        std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", TESSARO_HELPER_BUILD_PATH);
    view = std::make_unique<ContentView>(std::make_unique<DiskManager>(std::move(tools)));
    view->setConfirmation([](const Drive&) { return true; });
    ASSERT_TRUE(disk.attach());
  }

  // Presses a workflow's button and returns the log once the workflow has ended.
  QString logAfter(void (ContentView::*action)()) {
    view->setSelectedDrive(disk.drive());
    QEventLoop loop;
    QObject::connect(view.get(), &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    (view.get()->*action)();
    if (view->isBusy()) loop.exec();
    QCoreApplication::processEvents();
    return view->statusLog();
  }

  int fsckReadOnly() { return test::runTool("fsck.fat", {"-n", disk.partition()}); }

  test::LoopDisk disk;
  std::unique_ptr<ContentView> view;
};

TEST_F(CheckAndInfoEndToEnd, FormattedDriveReportsItsVolumeFileSystemAndSizes) {
  view->setLabel("My USB");
  view->setCluster(ClusterOption::C8192);
  ASSERT_TRUE(logAfter(&ContentView::formatSelectedDrive).contains("Format complete"))
      << view->statusLog().toStdString();
  const QStringList lines = logAfter(&ContentView::showDriveInfo).split('\n');
  const QStringList expected{"Device: " + disk.device(),
                             "Model: \u2014   Bus: Disk Image",
                             "Device Block Size: 512 Bytes",
                             "Disk Size: 734 MB (734003200 Bytes)",
                             "Volume Name: MY USB",
                             "Filesystem: MS-DOS (FAT32)",
                             "Mounted: No   Mount Point: \u2014",
                             "Filesystem Block Size: 8192 Bytes"};
  for (const QString& line : expected) {
    EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " in\n"
                                      << lines.join('\n').toStdString();
  }
}

// A lost cluster chain (100 -> 101 -> end) written into the first FAT only:
// the copies differ and two clusters are in use with no file pointing at them.
TEST_F(CheckAndInfoEndToEnd, CheckRepairsADamagedFileSystemExceptOnAReadOnlyDevice) {
  ASSERT_EQ(test::runTool("mkfs.fat", {"-F", "32", "-s", "16", disk.partition()}), 0);
  {
    QFile device(disk.partition());
    ASSERT_TRUE(device.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    const QByteArray boot = device.read(512);
    const auto* b = reinterpret_cast<const uchar*>(boot.constData());
    ASSERT_TRUE(
        device.seek(qFromLittleEndian<quint16>(b + 14) * qFromLittleEndian<quint16>(b + 11) + 400));
    ASSERT_EQ(device.write(QByteArray("\x65\0\0\0\xff\xff\xff\x0f", 8)), 8);
  }
  ASSERT_NE(fsckReadOnly(), 0) << "the damage was not seen";

  disk.detach();
  ASSERT_TRUE(disk.attach(/*readOnly=*/true));
  QString log = logAfter(&ContentView::checkSelectedDrive);
  EXPECT_TRUE(
      log.split('\n').last().startsWith("\u274C Error: Check failed on " + disk.partition()))
      << log.toStdString();

  disk.detach();
  ASSERT_TRUE(disk.attach());
  log = logAfter(&ContentView::checkSelectedDrive);
  EXPECT_TRUE(log.startsWith("Running disk checking operation on " + disk.device() +
                             "...\n\u2139\uFE0F Using partition " + disk.partition() +
                             " for repair\n$ sh -c \""))
      << log.toStdString();
  EXPECT_TRUE(log.contains("Reclaimed")) << log.toStdString();
  EXPECT_TRUE(log.endsWith("\n\n\u2705 Repair completed.")) << log.toStdString();
  EXPECT_EQ(fsckReadOnly(), 0);
}

TEST_F(CheckAndInfoEndToEnd, HelperRefusesTheSystemDiskForInfoAndCheck) {
  for (const QString verb : {"info", "check"}) {
    QByteArray output;
    EXPECT_EQ(test::runTool(TESSARO_HELPER_BUILD_PATH, {verb, "/dev/vda"}, &output), 65)
        << output.toStdString();
    EXPECT_FALSE(output.contains("<?xml") || output.contains("fsck.fat"));
  }
}

}  // namespace
