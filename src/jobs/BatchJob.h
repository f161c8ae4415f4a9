// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <atomic>
#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "exec/ProcessRunner.h"
#include "exec/SharedPrivilegedRun.h"
#include "jobs/Job.h"
#include "jobs/Report.h"

namespace tessaro {

// Several drive jobs as one batch, each drive on its own: every job runs to
// its own end and reports to its own Report, whatever the others do; a
// failure, a refusal or a drive pulled out ends only its own job.
//
// Administrator rights are asked once for the batch. Where the platform's
// privileged tool runs a verb over several disks (DiskTools::runsBatches),
// every job runs on a lane of one SharedPrivilegedRun: the jobs start
// together, each job's privileged run is its drive's share of the one run,
// and a job that ends before it asked for its run (refused by the rules, or
// cancelled) is never part of it. Elsewhere each job is a privileged run of
// its own, and the system keeps the rights for this process a while
// (polkit's auth_admin_keep, which Tessaro's action asks for): the batch
// starts its first job alone and the others only once that job's tool has
// begun; a job that ends before its tool has begun, for a reason of its own,
// hands that turn to the next; rights refused, or a cancel, start none of the
// others (ran() tells which did).
//
// Lives and runs on one thread (the main one); cancel() may come from any.
class BatchJob : public QObject {
  Q_OBJECT
 public:
  // The members' privileged runs go through runner: as one shared run when
  // oneRun, else each its own.
  BatchJob(ProcessRunner& runner, bool oneRun, QObject* parent = nullptr);
  ~BatchJob() override;

  // Adds a member: the job that make builds on the runner it is given, told
  // through report (which outlives the run). Before run().
  void add(const std::function<std::unique_ptr<Job>(ProcessRunner&)>& make, Report& report);

  // Runs every job to its end; how many did what was asked. May be called once.
  QCoro::Task<int> run();

  // Stops the whole batch as one cancel stops one job: every running job is
  // asked to stop and none is started any more.
  void cancel();
  // Stops one drive's job only; callable from any thread.
  void cancel(qsizetype index);
  bool isCancelled() const { return cancelled_; }

  qsizetype size() const { return qsizetype(members_.size()); }
  const Job& job(qsizetype index) const { return *members_[size_t(index)].job; }
  // Whether the job at index was started; its report has heard nothing when not.
  bool ran(qsizetype index) const { return ran_[size_t(index)]; }
  // How long the job at index ran, in milliseconds, once it has ended.
  qint64 elapsedMs(qsizetype index) const { return elapsed_[size_t(index)]; }
  // The failure of a job whose rights were refused (none but the first jobs
  // ran, or in one shared run every job failed so); none when no rights were
  // refused.
  const std::optional<JobFailure>& refusedRights() const { return refusedRights_; }

 private:
  // Awaits the next time a job's tool begins or a job ends (moved()).
  struct Moved {
    BatchJob& batch;
    bool await_ready() const { return false; }
    void await_suspend(std::coroutine_handle<> awaiting) { batch.waiting_ = awaiting; }
    void await_resume() const {}
  };
  // Resumes, from the event loop and once, the run that awaits Moved.
  void moved();

  struct Member {
    std::unique_ptr<Job> job;
    Report* report = nullptr;
  };

  QCoro::Task<bool> runOne(qsizetype index);

  ProcessRunner& runner_;
  std::unique_ptr<SharedPrivilegedRun> shared_;
  std::vector<Member> members_;
  std::vector<bool> ran_;
  std::vector<bool> toolBegun_;
  std::vector<bool> ended_;
  std::vector<qint64> elapsed_;
  std::optional<JobFailure> refusedRights_;
  std::atomic<bool> cancelled_ = false;
  std::coroutine_handle<> waiting_;
};

}  // namespace tessaro
