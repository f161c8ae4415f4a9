#include <gtest/gtest.h>

#include <QtEndian>

#include "../unit/Await.h"
#include "CheckLoopDevice.h"
#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "ui/ContentView.h"

using namespace tessaro;

namespace {

// A window over the real tools and the helper of this build, run as root.
std::unique_ptr<ContentView> windowOverRealTools() {
  auto tools =
      std::make_unique<LinuxDiskTools>(QStringLiteral("/usr/bin/lsblk"), QStringLiteral("/sys"),
                                       QStringLiteral(TESSARO_HELPER_BUILD_PATH));
  auto view = std::make_unique<ContentView>(std::make_unique<DiskManager>(std::move(tools)));
  view->setConfirmation([](const Drive&) { return true; });
  return view;
}

// The log once every queued append has arrived.
QString settledLog(const ContentView& view) {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  return view.statusLog();
}

// A lost cluster chain (clusters 100 -> 101 -> end) written into both FAT
// copies: allocated, but no file points at it.
void writeLostClusterChain(const QString& partition) {
  QFile device(partition);
  ASSERT_TRUE(device.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
  const QByteArray boot = device.read(512);
  const auto* b = reinterpret_cast<const uchar*>(boot.constData());
  const qint64 bytesPerSector = qFromLittleEndian<quint16>(b + 11);
  const qint64 reserved = qFromLittleEndian<quint16>(b + 14);
  const int fats = b[16];
  const qint64 fatSectors = qFromLittleEndian<quint32>(b + 36);
  QByteArray chain(8, '\0');
  qToLittleEndian<quint32>(101, chain.data());
  qToLittleEndian<quint32>(0x0FFFFFFF, chain.data() + 4);
  for (int i = 0; i < fats; ++i) {
    ASSERT_TRUE(device.seek((reserved + i * fatSectors) * bytesPerSector + 100 * 4));
    ASSERT_EQ(device.write(chain), 8);
  }
}

int fsckReadOnly(const QString& partition) {
  return test::runTool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), partition});
}

class CheckAndInfoEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::runsAsRoot()) GTEST_SKIP() << "needs root to attach loop devices";
  }
};

TEST_F(CheckAndInfoEndToEnd, FormattedDriveReportsItsVolumeFileSystemAndSizes) {
  test::LoopDisk disk;
  ASSERT_TRUE(disk.attach());
  auto view = windowOverRealTools();
  test::awaitTask(view->performFormat(disk.drive(), QStringLiteral("MY USB"), 8192));
  ASSERT_TRUE(settledLog(*view).contains("Format complete for MY USB on " + disk.device()))
      << settledLog(*view).toStdString();

  view->setSelectedDrive(disk.drive());
  view->showDriveInfo();
  EXPECT_TRUE(view->isBusy());
  EXPECT_EQ(view->statusLog(), "Reading info for " + disk.device() + "...");
  QEventLoop loop;
  QObject::connect(view.get(), &ContentView::workflowFinished, &loop, &QEventLoop::quit);
  if (view->isBusy()) loop.exec();
  EXPECT_FALSE(view->isBusy());

  const QStringList lines = settledLog(*view).split('\n');
  EXPECT_TRUE(lines.contains("Device: " + disk.device())) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines.contains(QString("Model: \u2014   Bus: Disk Image")));
  EXPECT_TRUE(lines.contains("Device Block Size: 512 Bytes"));
  EXPECT_EQ(lines.filter(QString(" (%1 Bytes)").arg(disk.size())).size(), 1);
  EXPECT_TRUE(lines.contains("Partition Info:"));
  EXPECT_TRUE(lines.contains("Volume Name: MY USB"));
  EXPECT_TRUE(lines.contains("Filesystem: MS-DOS (FAT32)"));
  EXPECT_TRUE(lines.contains(QString("Mounted: No   Mount Point: \u2014")));
  EXPECT_TRUE(lines.contains("Filesystem Block Size: 8192 Bytes"));
}

TEST_F(CheckAndInfoEndToEnd, DiskWithoutPartitionsIsReportedAlone) {
  test::LoopDisk disk(/*partitioned=*/false);
  ASSERT_TRUE(disk.attach(false, /*partitioned=*/false));
  auto view = windowOverRealTools();
  test::awaitTask(view->performDriveInfo(disk.drive()));
  const QStringList lines = settledLog(*view).split('\n');
  EXPECT_TRUE(lines.contains("Device: " + disk.device())) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines.contains(QString("Disk Size: 734 MB (%1 Bytes)").arg(disk.size())));
  EXPECT_FALSE(lines.contains("Partition Info:"));
}

TEST_F(CheckAndInfoEndToEnd, CheckRepairsALostClusterChain) {
  test::LoopDisk disk;
  ASSERT_TRUE(disk.attach());
  ASSERT_EQ(test::runTool("mkfs.fat", {"-F", "32", "-s", "16", "-n", "MY USB", disk.partition()}),
            0);
  writeLostClusterChain(disk.partition());
  ASSERT_NE(fsckReadOnly(disk.partition()), 0) << "the damage was not seen";

  auto view = windowOverRealTools();
  view->setStatusLog(ContentView::welcomeText());
  view->setSelectedDrive(disk.drive());
  view->checkSelectedDrive();
  EXPECT_EQ(view->statusLog(), "Running disk checking operation on " + disk.device() + "...");
  QEventLoop loop;
  QObject::connect(view.get(), &ContentView::workflowFinished, &loop, &QEventLoop::quit);
  if (view->isBusy()) loop.exec();
  EXPECT_FALSE(view->isBusy());

  const QString log = settledLog(*view);
  EXPECT_TRUE(log.startsWith("Running disk checking operation on " + disk.device() +
                             "...\n\u2139\uFE0F Using partition " + disk.partition() +
                             " for repair\n$ sh -c \""))
      << log.toStdString();
  EXPECT_TRUE(log.contains("Reclaimed")) << log.toStdString();
  EXPECT_TRUE(log.endsWith("\n\n\u2705 Repair completed.")) << log.toStdString();
  EXPECT_EQ(fsckReadOnly(disk.partition()), 0);
}

TEST_F(CheckAndInfoEndToEnd, NotAFileSystemIsAFailureNotACompletion) {
  test::LoopDisk disk;
  ASSERT_TRUE(disk.attach());  // partitioned, never formatted
  auto view = windowOverRealTools();
  test::awaitTask(view->performCheck(disk.drive()));
  const QString log = settledLog(*view);
  EXPECT_FALSE(log.contains("Repair completed")) << log.toStdString();
  EXPECT_TRUE(
      log.endsWith("\u274C Error: Check failed on " + disk.partition() + " (exit status 4)"))
      << log.toStdString();
}

TEST_F(CheckAndInfoEndToEnd, ReadOnlyDeviceEndsInTheErrorLine) {
  test::LoopDisk disk;
  ASSERT_TRUE(disk.attach());
  ASSERT_EQ(test::runTool("mkfs.fat", {"-F", "32", "-n", "MY USB", disk.partition()}), 0);
  writeLostClusterChain(disk.partition());
  disk.detach();
  ASSERT_TRUE(disk.attach(/*readOnly=*/true));

  auto view = windowOverRealTools();
  test::awaitTask(view->performCheck(disk.drive()));
  const QString log = settledLog(*view);
  EXPECT_FALSE(log.contains("Repair completed")) << log.toStdString();
  const QString last = log.split('\n').last();
  EXPECT_TRUE(
      last.startsWith("\u274C Error: Check failed on " + disk.partition() + " (exit status "))
      << log.toStdString();
}

TEST_F(CheckAndInfoEndToEnd, HelperRefusesTheSystemDiskForInfoAndCheck) {
  for (const QString& verb : {QStringLiteral("info"), QStringLiteral("check")}) {
    QByteArray output;
    const int status =
        test::runTool(TESSARO_HELPER_BUILD_PATH, {verb, QStringLiteral("/dev/vda")}, &output);
    EXPECT_EQ(status, 65) << output.toStdString();
    EXPECT_FALSE(output.contains("<?xml"));
    EXPECT_FALSE(output.contains("fsck.fat"));
  }
}

}  // namespace
