// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "contract/FailureEvent.h"
#include "exec/Cancellation.h"
#include "exec/Error.h"
#include "exec/ProcessRunner.h"
#include "jobs/JobFailure.h"
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

  // Why the run did not do what was asked, once it has ended; none when it did.
  const std::optional<JobFailure>& failure() const { return failure_; }
  // Whether the drive may have begun to change: the helper has said it
  // begins writing. Callable from any thread.
  bool hasBegunWriting() const { return begunWriting_; }
  // Hears once, on a reading thread, that the job's privileged tool has
  // begun: its rights were granted. Set before run().
  void onToolStarted(std::function<void()> handler) { toolStarted_ = std::move(handler); }

 protected:
  // The title its account begins with; empty to add to what is shown.
  virtual QString title() const = 0;
  // The job's steps after the title. Raising ends the job with failureLine(the description).
  virtual QCoro::Task<> perform(Report& report) = 0;
  // The failure line of this kind of job for a description.
  virtual QString failureLine(const QString& description) const = 0;
  // Ends the job here with its failure line for description: a failure of
  // kind, written when the job had begun writing.
  [[noreturn]] void fail(const QString& description,
                         JobFailure::Kind kind = JobFailure::Kind::toolFailed) const;
  // Ends the job here after a privileged run that did not end well: the kind
  // and whether anything was written as the helper's failure event tells
  // them, else as its exit status does.
  [[noreturn]] void failRun(const QString& description, const PrivilegedRunResult& ran,
                            const std::optional<contract::FailureEvent>& helperFailure) const;
  // Ends the job here as cancelled, with line (empty: nothing to add).
  [[noreturn]] static void stop(const QString& line);
  // The last line when a cancel stopped the job in a step of its own or
  // before its tool had begun ("Cancelled: nothing was ...").
  virtual QString cancelledLine() const = 0;
  // After a privileged run: ends the job when a cancel stopped the run. The
  // helper's own cancel line ends the account where it told one
  // (HelperOutput::cancelledLine); otherwise cancelledLine() when the tool
  // had not begun, partWay when it had.
  void stopIfCancelled(const PrivilegedRunResult& ran, const QString& helperCancelledLine,
                       const QString& partWay) const;

  // What the job hands its privileged run: output, and where it hears that
  // the tool has begun.
  PrivilegedOutput withStart(PrivilegedOutput output) const {
    output.started = toolStarted_;
    return output;
  }

  // Set from the helper's writing event, on the runner's reading thread.
  std::atomic<bool> begunWriting_ = false;

 private:
  std::shared_ptr<Cancellation> cancellation_ = std::make_shared<Cancellation>();
  std::optional<JobFailure> failure_;
  std::function<void()> toolStarted_;
};

}  // namespace tessaro
