// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QPointer>
#include <memory>

#include "exec/Cancellation.h"
#include "jobs/FormatJob.h"
#include "jobs/Job.h"
#include "jobs/ProbeJob.h"
#include "jobs/Report.h"

namespace tessaro {

// The jobs one window runs, each on the window's thread and told through its
// report until it ends: how many run, which of them the Cancel control stops
// (the last one the user started), the refresh that device events started
// in the background, and which one is a format, a capacity test or a check.
class WindowJobs : public QObject {
  Q_OBJECT
 public:
  enum class Kind { other, format, capacityTest, check, backgroundRefresh };

  using QObject::QObject;

  // Runs job; ended() when it is over.
  void start(std::unique_ptr<Job> job, std::unique_ptr<Report> report, Kind kind = Kind::other);

  int running() const { return running_; }
  bool isRefreshingInBackground() const { return background_ != nullptr; }
  // The running format, capacity test and check; null when none runs.
  const FormatJob* format() const { return format_; }
  const ProbeJob* capacityTest() const { return capacityTest_; }
  const Job* check() const { return check_; }

  // Whether the Cancel control has a job to stop that was not asked yet.
  bool canCancel() const { return cancel_ && !cancel_->isCancelled(); }
  // Asks the last job the user started to stop.
  void cancel();
  void cancelBackground();
  // Runs the event loop until every job has ended.
  void waitForAll();

 signals:
  // A job has ended (it still exists while this is emitted); kind says what
  // it was, which the accessors above no longer tell.
  void ended(const Job* job, Kind kind);

 private:
  static QCoro::Task<> supervise(std::unique_ptr<Job> job, std::unique_ptr<Report> report,
                                 Kind kind, QPointer<WindowJobs> jobs);
  void jobEnded(const Job* job, Kind kind);

  int running_ = 0;
  std::shared_ptr<Cancellation> cancel_;
  const Job* background_ = nullptr;
  std::shared_ptr<Cancellation> backgroundCancel_;
  const FormatJob* format_ = nullptr;
  const ProbeJob* capacityTest_ = nullptr;
  const Job* check_ = nullptr;
};

}  // namespace tessaro
