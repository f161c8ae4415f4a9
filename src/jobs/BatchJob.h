// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "jobs/Job.h"
#include "jobs/Report.h"

namespace tessaro {

// Several drive jobs as one batch, each drive on its own: every job runs to
// its own end and reports to its own Report, whatever the others do; a
// failure, a refusal or a drive pulled out ends only its own job.
//
// Administrator rights are asked once for the batch. A privileged run asks
// for them and the system keeps them for this process a while (polkit's
// auth_admin_keep, which Tessaro's action asks for), so the batch starts its
// first job alone and the others only once that job's tool has begun: the
// rights were granted. A job that ends before its tool has begun, for a
// reason of its own, hands that turn to the next; rights refused, or a
// cancel, start none of the others (ran() tells which did).
//
// Each job is one privileged run over one drive; a run that serves several
// drives at once would take the place of the jobs here, behind the same
// reports.
//
// Lives and runs on one thread (the main one); cancel() may come from any.
class BatchJob : public QObject {
  Q_OBJECT
 public:
  struct Member {
    std::unique_ptr<Job> job;
    Report* report = nullptr;  // where the job reports; outlives the run
  };

  explicit BatchJob(std::vector<Member> members, QObject* parent = nullptr);
  ~BatchJob() override;

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
  // Why none but the first jobs ran: the failure of the one whose rights were
  // refused; none when every job ran or a cancel stopped the batch.
  const std::optional<JobFailure>& refusedRights() const { return refusedRights_; }

 signals:
  // A job's tool began or a job ended.
  void moved();

 private:
  QCoro::Task<bool> runOne(qsizetype index);

  std::vector<Member> members_;
  std::vector<bool> ran_;
  std::vector<bool> toolBegun_;
  std::vector<bool> ended_;
  std::vector<qint64> elapsed_;
  std::optional<JobFailure> refusedRights_;
  std::atomic<bool> cancelled_ = false;
};

}  // namespace tessaro
