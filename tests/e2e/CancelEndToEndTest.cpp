// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "Capability.h"
#include "LoopImage.h"

using namespace tessaro;
using test::runProgram;

namespace {

constexpr qint64 kBytes = 300LL * 1024 * 1024;

// The processes whose command line names device or the helper working on it.
QStringList processesFor(const QString& device) {
  QStringList found;
  const QString name = device.mid(5);
  for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
    if (pid.toLongLong() <= 0 || pid.toLongLong() == getpid()) continue;
    QFile cmdline("/proc/" + pid + "/cmdline");
    if (!cmdline.open(QIODevice::ReadOnly)) continue;
    const QStringList words = QString::fromLocal8Bit(cmdline.readAll()).split(QChar(0));
    if (words.contains(device) || words.contains(name) || words.contains(device + "p1") ||
        words.contains(name + "p1"))
      found << pid + ": " + words.join(' ');
  }
  return found;
}

// Waits a moment for processes that are on their way out.
QStringList processesLeftFor(const QString& device) {
  QElapsedTimer waited;
  waited.start();
  QStringList left = processesFor(device);
  while (!left.isEmpty() && waited.elapsed() < 5000) {
    QThread::msleep(50);
    left = processesFor(device);
  }
  return left;
}

QString lastLine(const QString& log) { return log.section('\n', -1); }

// Cancels workflows on loop devices made here, through the window and the
// helper of this build.
class CancelEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::missingLoopDevices(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_FALSE(image.device().isEmpty());
    window.view.setStopConfirmation([this](const QString& question) {
      questions << question;
      return true;
    });
  }

  // Presses action's button and presses Cancel as soon as the log holds
  // `after` (at once when empty); the log once the workflow has ended.
  QString cancelled(void (ContentView::*action)(), const QString& after = {}) {
    ContentView& view = window.view;
    view.setSelectedDrive(
        Drive{{}, image.device().mid(5), image.device(), "Loop test disk", {}, false, kBytes});
    bool pressed = false;
    auto press = [&] {
      if (pressed || (!after.isEmpty() && !view.statusLog().contains(after))) return;
      pressed = true;
      view.cancelWorkflow();
    };
    QEventLoop loop;
    QObject::connect(&view, &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    const auto watch = QObject::connect(&view, &ContentView::statusLogChanged, &view, press);
    (view.*action)();
    if (after.isEmpty()) press();
    if (view.isBusy()) loop.exec();
    QObject::disconnect(watch);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isBusy());
    EXPECT_TRUE(pressed);
    return view.statusLog();
  }

  void formatAsMyUsb() {
    const QString log = window.format(image.device(), kBytes);
    ASSERT_TRUE(log.contains("Format complete")) << log.toStdString();
  }

  test::LoopImage image{kBytes};
  test::LoopWindow window;
  QStringList questions;
};

TEST_F(CancelEndToEnd, FormatCancelledBeforeItsFirstWriteLeavesTheDriveAsItWas) {
  const QString before = image.hash();
  window.view.setLabel("My USB");
  const QString log = cancelled(&ContentView::formatSelectedDrive);
  EXPECT_TRUE(lastLine(log).startsWith("Cancelled:")) << log.toStdString();
  EXPECT_EQ(log.count("\nCancelled:"), 1);
  EXPECT_FALSE(log.contains("Format complete"));
  EXPECT_TRUE(questions.isEmpty());
  EXPECT_EQ(processesLeftFor(image.device()), QStringList());
  EXPECT_EQ(image.hash(), before);
}

TEST_F(CancelEndToEnd, FormatCancelledAfterItsFirstWriteAsksAndSaysTheDriveIsIncomplete) {
  window.view.setLabel("My USB");
  const QString log = cancelled(&ContentView::formatSelectedDrive, "\n$ ");
  EXPECT_EQ(questions.size(), 1);
  EXPECT_TRUE(lastLine(log).startsWith("Cancelled:")) << log.toStdString();
  EXPECT_EQ(log.count("\nCancelled:"), 1);
  EXPECT_EQ(processesLeftFor(image.device()), QStringList());
  // Whatever was left, formatting again works.
  formatAsMyUsb();
}

TEST_F(CancelEndToEnd, CheckCancelledEndsAtOnce) {
  formatAsMyUsb();
  const QString log = cancelled(&ContentView::checkSelectedDrive);
  EXPECT_TRUE(lastLine(log).startsWith("Cancelled:")) << log.toStdString();
  EXPECT_EQ(log.count("\nCancelled:"), 1);
  EXPECT_FALSE(log.contains("Check complete"));
  EXPECT_EQ(processesLeftFor(image.device()), QStringList());
}

}  // namespace
