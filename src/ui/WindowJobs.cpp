// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/WindowJobs.h"

#include <QEventLoop>

namespace tessaro {

// Awaits a job (which never raises) and tells its end while the jobs'
// keeper still exists. The job and its report live in this frame until then.
QCoro::Task<> WindowJobs::supervise(std::unique_ptr<Job> job, std::unique_ptr<Report> report,
                                    Kind kind, QPointer<WindowJobs> jobs) {
  co_await job->run(*report);
  if (jobs) jobs->jobEnded(job.get(), kind);
}

void WindowJobs::start(std::unique_ptr<Job> job, std::unique_ptr<Report> report, Kind kind) {
  ++running_;
  switch (kind) {
    case Kind::backgroundRefresh:
      background_ = job.get();
      backgroundCancel_ = job->cancellation();
      break;
    case Kind::format:
      format_ = static_cast<const FormatJob*>(job.get());
      break;
    case Kind::capacityTest:
      capacityTest_ = static_cast<const ProbeJob*>(job.get());
      break;
    case Kind::check:
      check_ = job.get();
      break;
    case Kind::other:
      break;
  }
  if (kind != Kind::backgroundRefresh) cancel_ = job->cancellation();
  supervise(std::move(job), std::move(report), kind, QPointer<WindowJobs>(this));
}

void WindowJobs::jobEnded(const Job* job, Kind kind) {
  --running_;
  if (job == background_) {
    background_ = nullptr;
    backgroundCancel_.reset();
  }
  if (job == format_) format_ = nullptr;
  if (job == capacityTest_) capacityTest_ = nullptr;
  if (job == check_) check_ = nullptr;
  emit ended(job, kind);
}

void WindowJobs::cancel() {
  if (cancel_) cancel_->cancel();
}

void WindowJobs::cancelBackground() {
  if (backgroundCancel_) backgroundCancel_->cancel();
}

void WindowJobs::waitForAll() {
  if (running_ == 0) return;
  QEventLoop untilEnded;
  connect(this, &WindowJobs::ended, &untilEnded, [&] {
    if (running_ == 0) untilEnded.quit();
  });
  untilEnded.exec();
}

}  // namespace tessaro
