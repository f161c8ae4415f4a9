#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "drives/DiskManager.h"
#include "drives/MacDiskTools.h"
#include "ui/ContentView.h"

using namespace tessaro;

namespace {

const QString kFixtures = QStringLiteral(TESSARO_FIXTURES_DIR "/");

// A window over macOS's tools, whose diskutil and administrator rights are
// stand-ins: the lookup finds disk4s1, the privileged run is elevation.
class CheckAndInfoWorkflow : public ::testing::Test {
 protected:
  void useElevation(const QString& fixture) {
    runner.setElevationProgram(kFixtures + fixture, true);
    auto manager = std::make_unique<DiskManager>(
        std::make_unique<MacDiskTools>(kFixtures + "PartitionLookup/diskutil"), runner);
    view = std::make_unique<ContentView>(std::move(manager));
    Drive drive;
    drive.bsdName = "disk4";
    drive.devicePath = "/dev/disk4";
    drive.description = "32 GB Ultra (disk4)";
    view->setSelectedDrive(drive);
    view->setStatusLog(ContentView::welcomeText());
  }

  // Starts a workflow through its button action and waits for its end.
  QString logAfter(void (ContentView::*action)()) {
    QEventLoop loop;
    QObject::connect(view.get(), &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    (view.get()->*action)();
    EXPECT_TRUE(view->isBusy());
    if (view->isBusy()) loop.exec();
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->isBusy());
    return view->statusLog();
  }

  ProcessRunner runner;
  std::unique_ptr<ContentView> view;
};

TEST_F(CheckAndInfoWorkflow, RefusedRightsEndInOneErrorLine) {
  useElevation("Repair/elevate-dismissed");
  EXPECT_EQ(logAfter(&ContentView::checkSelectedDrive),
            "Running disk checking operation on /dev/disk4...\n"
            "\u274C Error: Authorization failed (126)");
  EXPECT_EQ(logAfter(&ContentView::showDriveInfo),
            "Reading info for /dev/disk4...\n\u274C Error: Authorization failed (126)");
}

TEST_F(CheckAndInfoWorkflow, CheckTextThenAnEmptyLineThenCompletion) {
  useElevation("Repair/elevate-and-print-chunks");
  const QString log = logAfter(&ContentView::checkSelectedDrive);
  EXPECT_TRUE(
      log.startsWith("Running disk checking operation on /dev/disk4...\n"
                     "\u2139\uFE0F Using partition /dev/disk4s1 for repair\n$ sh -c \""))
      << log.toStdString();
  EXPECT_TRUE(log.endsWith("** Phase 2 - Check Cluster Chains\n\n\n\u2705 Repair completed."))
      << log.toStdString();
}

TEST_F(CheckAndInfoWorkflow, InfoReportArrivesInOnePiece) {
  useElevation("InfoReport/elevate-and-print-plists");
  int changes = 0;
  QObject::connect(view.get(), &ContentView::statusLogChanged, [&changes] { ++changes; });
  const QString log = logAfter(&ContentView::showDriveInfo);
  EXPECT_EQ(changes, 2);  // the start line, then the whole report
  EXPECT_TRUE(log.startsWith("Reading info for /dev/disk4...\nDevice: /dev/disk4\n"))
      << log.toStdString();
  EXPECT_TRUE(
      log.endsWith("\nPartition Info:\nVolume Name: MY USB\nFilesystem: MS-DOS (FAT32)\n"
                   "Mounted: Yes   Mount Point: /Volumes/MY USB\n"
                   "Filesystem Block Size: 32768 Bytes"))
      << log.toStdString();
}

}  // namespace
