// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include "Capability.h"
#include "LoopImage.h"

using namespace tessaro;

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

}  // namespace
