// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/BatchJob.h"

#include <qcoro/qcorosignal.h>

#include <QElapsedTimer>

namespace tessaro {

BatchJob::BatchJob(std::vector<Member> members, QObject* parent)
    : QObject(parent),
      members_(std::move(members)),
      ran_(members_.size(), false),
      toolBegun_(members_.size(), false),
      ended_(members_.size(), false),
      elapsed_(members_.size(), 0) {}

BatchJob::~BatchJob() = default;

QCoro::Task<int> BatchJob::run() {
  const size_t count = members_.size();
  // Started at once; each is awaited below.
  std::vector<std::optional<QCoro::Task<bool>>> running(count);
  size_t next = 0;
  bool startRest = false;
  // One job at a time until one's tool has begun: only it may ask for rights.
  while (next < count && !cancelled_) {
    const size_t first = next++;
    running[first].emplace(runOne(qsizetype(first)));
    while (!toolBegun_[first] && !ended_[first]) co_await qCoro(this, &BatchJob::moved);
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
          emit moved();
        },
        Qt::QueuedConnection);
  });
  QElapsedTimer clock;
  clock.start();
  const bool done = co_await member.job->run(*member.report);
  elapsed_[at] = clock.elapsed();
  ended_[at] = true;
  // Told from the event loop: run() resumed inside this frame would outlive it.
  QMetaObject::invokeMethod(this, &BatchJob::moved, Qt::QueuedConnection);
  co_return done;
}

void BatchJob::cancel() {
  cancelled_ = true;
  for (const Member& member : members_) member.job->cancel();
}

void BatchJob::cancel(qsizetype index) { members_[size_t(index)].job->cancel(); }

}  // namespace tessaro
