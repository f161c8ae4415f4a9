// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tessaro {

// Turns SIGINT (Ctrl+C), SIGTERM and SIGHUP into the interrupted() signal on
// the thread that made the watcher, so that a running job can be stopped the
// way the window's Cancel stops it instead of the process dying under it.
// One watcher at a time; the previous handlers come back when it goes.
class InterruptWatcher : public QObject {
  Q_OBJECT
 public:
  explicit InterruptWatcher(QObject* parent = nullptr);
  ~InterruptWatcher() override;

  int count() const { return count_; }
  // The signal that came first (SIGINT, SIGTERM or SIGHUP); 0 before any.
  int firstSignal() const { return firstSignal_; }

 signals:
  // count is 1 for the first interrupt, 2 for the second, ...
  void interrupted(int count);

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
  int count_ = 0;
  int firstSignal_ = 0;
};

}  // namespace tessaro
