// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The window over the real tools and the helper of this build, on a loop
// device made here: what only the window does with them. What the helper
// does on a cancel, a check or an info is a scene of security/data/scenes.rows.

#include <gtest/gtest.h>

#include "Capability.h"
#include "LoopImage.h"

using namespace tessaro;

namespace {

constexpr qint64 kBytes = 700LL * 1024 * 1024;

class WindowOnLoopDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_FALSE(image.device().isEmpty());
  }

  test::LoopImage image{kBytes};
  test::LoopWindow window;
};

using CheckAndInfoEndToEnd = WindowOnLoopDevice;
using CancelEndToEnd = WindowOnLoopDevice;

TEST_F(CheckAndInfoEndToEnd, FormattedDriveReportsItsVolumeFileSystemAndSizes) {
  const QString log = window.format(image.device(), kBytes, ClusterOption::C8192);
  ASSERT_TRUE(log.contains("Format complete")) << log.toStdString();
  const QStringList lines =
      window.logAfter(&ContentView::showDriveInfo, image.device(), kBytes).split('\n');
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

// The window asks before it stops a format that has begun writing, and only
// then; a check stops at once.
TEST_F(CancelEndToEnd, TheWindowAsksBeforeStoppingAFormatOnlyOnceItWrites) {
  ContentView& view = window.view;
  QStringList questions;
  view.setStopConfirmation([&](const QString& question) {
    questions << question;
    return true;
  });
  // Presses the button, then Cancel as soon as the log holds after; the log.
  const auto cancelled = [&](void (ContentView::*action)(), const QString& after) {
    questions.clear();
    const QString log = window.logAfter(action, image.device(), kBytes, after);
    EXPECT_TRUE(log.section('\n', -1).startsWith("Cancelled:")) << log.toStdString();
    EXPECT_EQ(log.count("\nCancelled:"), 1) << log.toStdString();
    return log;
  };
  view.setLabel("My USB");
  for (const QString after : {"", "\n$ "}) {
    SCOPED_TRACE("cancelled after \"" + after.toStdString() + "\"");
    cancelled(&ContentView::formatSelectedDrive, after);
    EXPECT_EQ(questions.size(), after.isEmpty() ? 0 : 1);
  }
  ASSERT_TRUE(window.format(image.device(), kBytes).contains("Format complete"));
  EXPECT_FALSE(cancelled(&ContentView::checkSelectedDrive, "").contains("Check complete"));
  EXPECT_EQ(questions.size(), 0);
}

}  // namespace
