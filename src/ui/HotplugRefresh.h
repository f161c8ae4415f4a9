// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "drives/DriveEvents.h"

namespace tessaro {

class ContentView;

// Refreshes a window's drive list when devices come, go or change. Events
// arrive in bursts (a disk, then each of its partitions), so a refresh starts
// once they have been quiet for a moment, or after the longest wait while they
// keep coming. It never starts while the window is busy: it waits for the
// running action to end. Only events about devices that could be offered
// count: loop devices, RAM disks, device-mapper volumes and the partitions of
// internal disks come and go all the time and change nothing in the list.
class HotplugRefresh : public QObject {
  Q_OBJECT
 public:
  // Which devices' events count; by default those the window's disk tools
  // say may change its drive list.
  using Admission = std::function<bool(const QString& kernelName)>;

  HotplugRefresh(ContentView& view, std::unique_ptr<DriveEvents> events,
                 std::chrono::milliseconds quietTime = std::chrono::milliseconds(500),
                 std::chrono::milliseconds longestWait = std::chrono::seconds(3),
                 Admission admits = {});

  const DriveEvents& events() const { return *events_; }

 signals:
  // A refresh has started for events about these devices.
  void refreshStarted(const QStringList& kernelNames);

 private:
  void take(DriveEvents::Action action, const QString& kernelName);
  void becomeDue();
  void startWhenIdle();

  ContentView& view_;
  std::unique_ptr<DriveEvents> events_;
  Admission admits_;
  QTimer quiet_;
  QTimer longest_;
  QStringList names_;
  QSet<QString> removed_;
  bool due_ = false;
};

}  // namespace tessaro
