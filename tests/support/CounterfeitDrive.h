// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <signal.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <optional>

#include "ChildRun.h"
#include "SystemTool.h"

namespace tessaro::test {

// A counterfeit drive on a loop device of its own (needs root and /dev/fuse;
// TESSARO_COUNTERFEIT_DRIVE_PATH names the fake's program): the FUSE file
// system of tests/fakes claims `claimed` bytes and stores `real`, in the way of
// its kind, with its options (the kinds and options of tests/fakes/FakeDriveShape.h).
// Unmounted and detached when it goes away. device() is empty when any step
// failed; failure() says which.
class CounterfeitDrive {
 public:
  CounterfeitDrive(const QString& mode, qint64 claimed, qint64 real,
                   const QStringList& options = {}) {
    if (!dir_.isValid() || !QDir(dir_.path()).mkdir("mnt")) {
      failure_ = "no temporary directory";
      return;
    }
    fake_.emplace(TESSARO_COUNTERFEIT_DRIVE_PATH,
                  argumentsOf(QStringList{mode, QString::number(claimed), QString::number(real),
                                          dir_.filePath("store"), mountPoint()} +
                              options),
                  ChildRun::Setup{.mergeErrorOutput = true});
    const QString disk = mountPoint() + "/disk";
    for (int i = 0; i < 100 && QFileInfo(disk).size() != claimed; ++i) {
      if (fake_->pid() <= 0) break;
      QThread::msleep(50);
    }
    if (QFileInfo(disk).size() != claimed) {
      failure_ = "the fake did not mount: " + fake_->finish(100).output;
      return;
    }
    mounted_ = true;
    const ToolRun attached = runTool("losetup", {"--find", "--show", disk});
    const QString device = attached.output.trimmed();
    if (attached.status != 0 || !device.startsWith("/dev/loop")) {
      failure_ = "losetup failed: " + device;
      return;
    }
    device_ = device;
  }

  ~CounterfeitDrive() {
    if (!device_.isEmpty()) runTool("losetup", {"--detach", device_});
    if (mounted_) runTool("umount", {mountPoint()});
    if (fake_) fake_->finish(5000);  // killed if it has not ended by then
  }

  // Pulls the drive out: its fake ends at once, and every request of the
  // loop device from then on fails.
  void pull() {
    if (fake_ && fake_->started()) ::kill(fake_->pid(), SIGKILL);
  }

  const QString& device() const { return device_; }
  const QString& failure() const { return failure_; }

 private:
  QString mountPoint() const { return dir_.filePath("mnt"); }

  QTemporaryDir dir_;
  std::optional<ChildRun> fake_;
  bool mounted_ = false;
  QString device_;
  QString failure_;
};

}  // namespace tessaro::test
