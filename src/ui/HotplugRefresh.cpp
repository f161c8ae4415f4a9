// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/HotplugRefresh.h"

#include "ui/ContentView.h"

namespace tessaro {

HotplugRefresh::HotplugRefresh(ContentView& view, std::unique_ptr<DriveEvents> events,
                               std::chrono::milliseconds quietTime,
                               std::chrono::milliseconds longestWait, Admission admits)
    : QObject(&view), view_(view), events_(std::move(events)), admits_(std::move(admits)) {
  if (!admits_) {
    admits_ = [&view](const QString& kernelName) {
      return view.diskManager().tools().mayChangeDriveList(kernelName, view.diskManager().drives());
    };
  }
  quiet_.setSingleShot(true);
  quiet_.setInterval(quietTime);
  longest_.setSingleShot(true);
  longest_.setInterval(longestWait);
  connect(&quiet_, &QTimer::timeout, this, &HotplugRefresh::becomeDue);
  connect(&longest_, &QTimer::timeout, this, &HotplugRefresh::becomeDue);
  connect(events_.get(), &DriveEvents::deviceEvent, this, &HotplugRefresh::take);
  // Queued: the action that just ended has finished its own steps first.
  connect(&view_, &ContentView::workflowFinished, this, &HotplugRefresh::startWhenIdle,
          Qt::QueuedConnection);
}

void HotplugRefresh::take(DriveEvents::Action action, const QString& kernelName) {
  if (!admits_(kernelName)) return;
  if (!names_.contains(kernelName)) names_ << kernelName;
  if (action == DriveEvents::Action::removed) removed_ << kernelName;
  quiet_.start();
  if (!longest_.isActive()) longest_.start();
}

void HotplugRefresh::becomeDue() {
  quiet_.stop();
  longest_.stop();
  due_ = true;
  startWhenIdle();
}

void HotplugRefresh::startWhenIdle() {
  if (!due_ || view_.isBusy() || view_.isRefreshingInBackground()) return;
  due_ = false;
  const QStringList names = std::exchange(names_, {});
  const QSet<QString> removed = std::exchange(removed_, {});
  // A closed window that waits for its last action to end lists nothing more.
  if (!view_.isVisible()) return;
  emit refreshStarted(names);
  view_.refreshAfterDeviceChange(removed);
}

}  // namespace tessaro
