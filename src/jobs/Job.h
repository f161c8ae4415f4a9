// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QString>
#include <memory>
#include <optional>

#include "exec/Cancellation.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"
#include "jobs/Report.h"

namespace tessaro {

// One piece of work the user asked for (refresh, format, check, info), told
// through a Report. A job holds what it needs; run() may be called once.
class Job {
 public:
  Job() = default;
  virtual ~Job() = default;
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // Runs the job to its end and reports it, from started(title()) to
  // finished(); true when it did what was asked. Never raises: a failure,
  // whatever its cause, ends as the job's failure line.
  QCoro::Task<bool> run(Report& report);

  // Asks the job to stop where it safely can: the tool it runs is asked to
  // stop. Callable from any thread.
  void cancel() { cancellation_->cancel(); }
  // Handed to every run, so that a cancel reaches the tool; whoever offers a
  // Cancel control may keep it.
  const std::shared_ptr<Cancellation>& cancellation() const { return cancellation_; }

  // The error the run ended with, when it did not do what was asked. Its
  // domain and code tell why: ErrorDomain::authorization; ErrorDomain::job
  // with the exit status of the tool that failed (1 for a request refused
  // before anything ran); ErrorDomain::cancelled; ...
  const std::optional<Error>& failure() const { return failure_; }

 protected:
  // The title its account begins with; empty to add to what is shown.
  virtual QString title() const = 0;
  // The job's steps after the title. Raising ends the job with failureLine(the description).
  virtual QCoro::Task<> perform(Report& report) = 0;
  // The failure line of this kind of job for a description.
  virtual QString failureLine(const QString& description) const = 0;
  // Ends the job here with its failure line for description; code is the
  // exit status of the tool that failed, if one did.
  [[noreturn]] static void fail(const QString& description, qint64 code = 1);
  // Ends the job here as cancelled, with line (empty: nothing to add).
  [[noreturn]] static void stop(const QString& line);
  // The last line when a cancel stopped the job in a step of its own or
  // before its tool had begun ("Cancelled: nothing was ...").
  virtual QString cancelledLine() const = 0;
  // After a privileged run: ends the job when a cancel stopped the run. The
  // helper's own cancel line ends the account when it was shown and the
  // helper said it was cancelled (HelperOutput::saidCancelled); otherwise
  // cancelledLine() when the tool had not begun, partWay when it had.
  void stopIfCancelled(const PrivilegedRunResult& ran, bool helperSaidCancelled,
                       const QString& partWay) const;

 private:
  std::shared_ptr<Cancellation> cancellation_ = std::make_shared<Cancellation>();
  std::optional<Error> failure_;
};

}  // namespace tessaro
