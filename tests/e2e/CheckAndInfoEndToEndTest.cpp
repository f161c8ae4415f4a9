// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>
#include <QtEndian>

#include "Capability.h"
#include "LoopImage.h"

using namespace tessaro;
using test::runProgram;

namespace {

constexpr qint64 kBytes = 700LL * 1024 * 1024;

class CheckAndInfoEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_FALSE(image.device().isEmpty());
  }

  QString logAfter(void (ContentView::*action)(), const QString& device) {
    return window.logAfter(action, device, kBytes);
  }

  void formatAsMyUsb() {
    const QString log = window.format(image.device(), kBytes, ClusterOption::C8192);
    ASSERT_TRUE(log.contains("Format complete")) << log.toStdString();
  }

  test::LoopImage image{kBytes};
  test::LoopWindow window;
};

TEST_F(CheckAndInfoEndToEnd, FormattedDriveReportsItsVolumeFileSystemAndSizes) {
  formatAsMyUsb();
  const QStringList lines = logAfter(&ContentView::showDriveInfo, image.device()).split('\n');
  const QStringList expected{"Device: " + image.device(),
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

TEST_F(CheckAndInfoEndToEnd, CheckRepairsADamagedFileSystemExceptOnAReadOnlyDevice) {
  formatAsMyUsb();
  {  // A lost cluster chain (100 -> 101 -> end) in the first FAT only: the
     // copies differ and two clusters are in use with no file pointing at them.
    QFile device(image.partition());
    ASSERT_TRUE(
        device.open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly));
    const QByteArray boot = device.read(512);
    const auto word = [&](int at) { return qFromLittleEndian<quint16>(boot.constData() + at); };
    ASSERT_TRUE(device.seek(word(14) * word(11) + 400));
    ASSERT_EQ(device.write(QByteArray("\x65\0\0\0\xff\xff\xff\x0f", 8)), 8);
  }
  ASSERT_NE(runProgram("fsck.fat", {"-n", image.partition()}).first, 0)
      << "the damage was not seen";

  // The same image on a second, read-only loop device: refused, as a
  // read-only device and as a second loop over one image. Detached before
  // the repair, which a second loop would refuse too.
  {
    const QString readOnly = runProgram("losetup", {"-f", "--show", "-r", image.path()}).second;
    const auto detach = qScopeGuard([&] {
      runProgram("losetup", {"-d", readOnly});
      // The kernel lets a loop device go at its last close, which can come
      // after losetup has returned; until then it serves the image too.
      const QString backing = "/sys/block/" + readOnly.mid(5) + "/loop/backing_file";
      for (int i = 0; i < 100 && QFileInfo::exists(backing); ++i) QThread::msleep(50);
    });
    ASSERT_TRUE(readOnly.startsWith("/dev/loop"));
    runProgram("partx", {"-u", readOnly});
    const QString log = logAfter(&ContentView::checkSelectedDrive, readOnly);
    EXPECT_TRUE(
        log.split('\n').last().startsWith("\u274C Error: Check failed on " + readOnly + "p1"))
        << log.toStdString();
  }
  const QString log = logAfter(&ContentView::checkSelectedDrive, image.device());
  EXPECT_TRUE(log.startsWith("Running disk checking operation on " + image.device() +
                             "...\n\u2139\uFE0F Using partition " + image.partition() +
                             " for repair\n$ " + TESSARO_HELPER_BUILD_PATH + " check " +
                             image.partition().mid(5) + "\n"))
      << log.toStdString();
  EXPECT_TRUE(log.contains("\n$ /usr/sbin/fsck.fat -a -w -v " + image.partition() + "\n"));
  EXPECT_TRUE(log.contains("Reclaimed")) << log.toStdString();
  EXPECT_TRUE(log.endsWith("\n\nErrors were found and corrected.\n\u2705 Check complete."))
      << log.toStdString();
  EXPECT_EQ(runProgram("fsck.fat", {"-n", image.partition()}).first, 0);
}

TEST_F(CheckAndInfoEndToEnd, HelperRefusesTheSystemDiskForInfoAndCheck) {
  for (const QString verb : {"info", "check"}) {
    if (!QFile::exists("/dev/vda")) GTEST_SKIP() << "no /dev/vda here";
    const auto [status, output] = runProgram(TESSARO_HELPER_BUILD_PATH, {verb, "vda"});
    EXPECT_EQ(status, 65) << output.toStdString();
    EXPECT_FALSE(output.contains("<?xml") || output.contains("fsck.fat"));
  }
}

}  // namespace
