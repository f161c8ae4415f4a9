// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/BatchJob.h"

#include <QElapsedTimer>

namespace tessaro {

BatchJob::BatchJob(ProcessRunner& runner, bool oneRun, QObject* parent)
    : QObject(parent),
      runner_(runner),
      shared_(oneRun ? std::make_unique<SharedPrivilegedRun>(runner) : nullptr) {}

void BatchJob::add(const std::function<std::unique_ptr<Job>(ProcessRunner&)>& make,
                   Report& report) {
  members_.push_back({make(shared_ ? shared_->addLane() : runner_), &report});
  ran_.push_back(false);
  toolBegun_.push_back(false);
  ended_.push_back(false);
  elapsed_.push_back(0);
}

BatchJob::~BatchJob() = default;

QCoro::Task<int> BatchJob::run() {
  const size_t count = members_.size();
  // Started at once; each is awaited below.
  std::vector<std::optional<QCoro::Task<bool>>> running(count);
  if (shared_) {
    // Together: the shared run starts once each has asked for its share.
    for (size_t i = 0; i < count; ++i) {
      if (cancelled_)
        shared_->leave(qsizetype(i));
      else
        running[i].emplace(runOne(qsizetype(i)));
    }
    int done = 0;
    for (auto& task : running) {
      if (task && co_await *task) ++done;
    }
    co_await shared_->ended();
    for (const Member& member : members_) {
      const std::optional<JobFailure>& failure = member.job->failure();
      if (failure && failure->kind == JobFailure::Kind::authorization && !refusedRights_)
        refusedRights_ = failure;
    }
    co_return done;
  }
  size_t next = 0;
  bool startRest = false;
  // One job at a time until one's tool has begun: only it may ask for rights.
  while (next < count && !cancelled_) {
    const size_t first = next++;
    running[first].emplace(runOne(qsizetype(first)));
    while (!toolBegun_[first] && !ended_[first]) co_await Moved{*this};
    // A run that did what was asked had its rights, also where the platform
    // does not say when its tool began.
    if (toolBegun_[first] || !members_[first].job->failure()) {
      startRest = true;
      break;
    }
    const std::optional<JobFailure>& failure = members_[first].job->failure();
    if (failure && failure->kind == JobFailure::Kind::authorization) {
      refusedRights_ = failure;
      break;
    }
  }
  if (startRest) {
    for (; next < count && !cancelled_; ++next) running[next].emplace(runOne(qsizetype(next)));
  }
  int done = 0;
  for (auto& task : running) {
    if (task && co_await *task) ++done;
  }
  co_return done;
}

QCoro::Task<bool> BatchJob::runOne(qsizetype index) {
  const size_t at = size_t(index);
  Member& member = members_[at];
  ran_[at] = true;
  // Heard on the run's reading thread; counted on this one.
  member.job->onToolStarted([this, at] {
    QMetaObject::invokeMethod(
        this,
        [this, at] {
          toolBegun_[at] = true;
          moved();
        },
        Qt::QueuedConnection);
  });
  QElapsedTimer clock;
  clock.start();
  const bool done = co_await member.job->run(*member.report);
  elapsed_[at] = clock.elapsed();
  ended_[at] = true;
  if (shared_) shared_->leave(index);
  moved();
  co_return done;
}

// From the event loop: run() resumed inside a job's frame would outlive it.
// The handle is taken at once, so that two moves before the event loop runs
// resume it once; run() checks again what it waits for.
void BatchJob::moved() {
  if (!waiting_) return;
  QMetaObject::invokeMethod(
      this, [resume = std::exchange(waiting_, {})] { resume.resume(); }, Qt::QueuedConnection);
}

void BatchJob::cancel() {
  cancelled_ = true;
  if (shared_) shared_->cancel();
  for (const Member& member : members_) member.job->cancel();
}

void BatchJob::cancel(qsizetype index) { members_[size_t(index)].job->cancel(); }

}  // namespace tessaro
