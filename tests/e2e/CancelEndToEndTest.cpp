// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Cancel through the window: it asks before stopping a format that has begun
// writing, and only then. What the helper does on a cancel is a scene of
// security/data/scenes.rows.

#include <gtest/gtest.h>

#include "Capability.h"
#include "LoopImage.h"

using namespace tessaro;

namespace {

constexpr qint64 kBytes = 300LL * 1024 * 1024;

TEST(CancelEndToEnd, TheWindowAsksBeforeStoppingAFormatOnlyOnceItWrites) {
  if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
  test::LoopImage image{kBytes};
  ASSERT_FALSE(image.device().isEmpty());
  test::LoopWindow window;
  ContentView& view = window.view;
  QStringList questions;
  view.setStopConfirmation([&](const QString& question) {
    questions << question;
    return true;
  });
  view.setLabel("My USB");
  view.setSelectedDrive(
      Drive{{}, image.device().mid(5), image.device(), "Loop test disk", {}, false, kBytes});
  // Cancel is pressed at once, then as soon as the log shows the first command.
  for (const QString after : {"", "\n$ "}) {
    SCOPED_TRACE("cancelled after \"" + after.toStdString() + "\"");
    questions.clear();
    bool pressed = false;
    const auto press = [&] {
      if (pressed || !view.statusLog().contains(after)) return;
      pressed = true;
      view.cancelWorkflow();
    };
    QEventLoop loop;
    QObject::connect(&view, &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    const auto watch = QObject::connect(&view, &ContentView::statusLogChanged, &view, press);
    view.formatSelectedDrive();
    press();
    if (view.isBusy()) loop.exec();
    QObject::disconnect(watch);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isBusy());
    const QString log = view.statusLog();
    EXPECT_TRUE(log.section('\n', -1).startsWith("Cancelled:")) << log.toStdString();
    EXPECT_EQ(log.count("\nCancelled:"), 1) << log.toStdString();
    EXPECT_EQ(questions.size(), after.isEmpty() ? 0 : 1);
  }
}

}  // namespace
