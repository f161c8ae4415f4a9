// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "drives/DiskManager.h"
#include "drives/LinuxDiskTools.h"
#include "ui/ContentView.h"

namespace tessaro::test {

// Runs a program to its end: its exit status and its trimmed standard output.
inline std::pair<int, QString> runProgram(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(120000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// A sparse image on a loop device of its own, partitions scanned; detached
// when it goes away, also when the test fails. device() is empty when
// attaching failed. Not copyable, as its directory is not.
class LoopImage {
 public:
  explicit LoopImage(qint64 bytes, bool readOnly = false) {
    if (runProgram("truncate", {"-s", QString::number(bytes), path()}).first != 0) return;
    QStringList args{"--find", "--show", "--partscan"};
    if (readOnly) args << "--read-only";
    const QString device = runProgram("losetup", args << path()).second.split('\n').last();
    if (device.startsWith("/dev/loop")) device_ = device;
  }
  ~LoopImage() {
    if (!device_.isEmpty()) runProgram("losetup", {"--detach", device_});
  }

  const QString& device() const { return device_; }
  QString partition() const { return device_ + "p1"; }
  QString path() const { return dir_.filePath("disk.img"); }
  QString hash() const { return runProgram("sha256sum", {path()}).second; }

 private:
  QTemporaryDir dir_;
  QString device_;
};

// A window over the real tools and the helper of this build that confirms
// every erase.
struct LoopWindow {
  LoopWindow() {
    view.setConfirmation([](const Drive&) { return true; });
  }

  // Presses a workflow's button for the drive on device; the log once the
  // workflow has ended, every queued line included.
  QString logAfter(void (ContentView::*action)(), const QString& device, qint64 bytes) {
    view.setSelectedDrive(Drive{{}, device.mid(5), device, "Loop test disk", {}, false, bytes});
    QEventLoop loop;
    QObject::connect(&view, &ContentView::workflowFinished, &loop, &QEventLoop::quit);
    (view.*action)();
    if (view.isBusy()) loop.exec();
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isBusy());
    return view.statusLog();
  }

  ContentView view{std::make_unique<DiskManager>(
      std::make_unique<LinuxDiskTools>("/usr/bin/lsblk", "/sys", TESSARO_HELPER_BUILD_PATH))};
};

}  // namespace tessaro::test
