// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QList>
#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

#include "drives/DiskTools.h"
#include "drives/Drive.h"
#include "exec/ProcessRunner.h"

namespace tessaro {

// The window's model of the attached drives. Lives on the main thread.
class DiskManager : public QObject {
  Q_OBJECT
 public:
  explicit DiskManager(std::unique_ptr<DiskTools> tools = DiskTools::platformDefault(),
                       ProcessRunner& runner = ProcessRunner::shared(), QObject* parent = nullptr);

  const QList<Drive>& drives() const { return drives_; }
  // Every block device the last refresh saw, offered or not (empty where the
  // platform does not tell), published with drives().
  const std::vector<BlockDevice>& blockDevices() const { return blockDevices_; }
  const DiskTools& tools() const { return *tools_; }
  ProcessRunner& runner() const { return runner_; }

  // Rebuilds the drive list: lists the whole disks, then queries them one
  // after another where the list does not describe them already. Publishes the new list in one step
  // only on success; on failure raises and keeps the previous list. A cancel ends it with the
  // runner's cancellation and keeps the list.
  QCoro::Task<> refresh(std::shared_ptr<Cancellation> cancel = {});

  // Starts listing the disks now, ahead of the next refresh(), which then
  // takes this list instead of starting one of its own: at start-up the list
  // is read while Qt starts and the window is built.
  void beginRefresh();
  // Waits up to timeout for a list that beginRefresh() began; true when the
  // next refresh() will not have to wait for it (also when none was begun).
  bool waitForBegunRefresh(std::chrono::milliseconds timeout) const;

  // What a check or an information report of the whole disk bsdName looks
  // at, as the last refresh listed it: its first partition, or the disk
  // itself when it has none; none when the list did not show the disk (or
  // the platform does not tell).
  std::optional<QString> listedPartition(const QString& bsdName) const;

 signals:
  void drivesChanged(const QList<Drive>& drives);

 private:
  std::unique_ptr<DiskTools> tools_;
  ProcessRunner& runner_;
  std::shared_ptr<ProcessRunner::BegunCapture> begunList_;
  std::optional<QString> begunText_;  // the list read at beginRefresh
  QList<Drive> drives_;
  std::vector<BlockDevice> blockDevices_;
};

}  // namespace tessaro
