// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/Job.h"

#include <QCoreApplication>

#include "exec/Error.h"
#include "exec/HelperContract.h"

namespace tessaro {

namespace {
// The code of a job's own stop, which carries the job's last line.
constexpr qint64 stoppedWithLine = 1;

struct JobText {
  Q_DECLARE_TR_FUNCTIONS(Job)
};
}  // namespace

QCoro::Task<bool> Job::run(Report& report) {
  report.started(title());
  bool done = false;
  try {
    co_await perform(report);
    done = true;
  } catch (const std::exception& error) {
    const auto* own = dynamic_cast<const Error*>(&error);
    failure_ = own ? *own : Error(ErrorDomain::job, 1, describeError(error));
    if (isCancellation(error)) {
      // A job's own stop carries its last line; the runner's carries none.
      const auto& stopped = static_cast<const Error&>(error);
      report.cancelled(stopped.code() == stoppedWithLine ? stopped.description() : cancelledLine());
    } else {
      report.failed(failureLine(describeError(error)));
    }
  } catch (...) {
    failure_ = Error(ErrorDomain::job, 1, JobText::tr("Unexpected failure"));
    report.failed(failureLine(failure_->description()));
  }
  report.finished();
  co_return done;
}

void Job::fail(const QString& description, qint64 code) {
  throw Error(ErrorDomain::job, code, description);
}

void Job::stop(const QString& line) { throw Error(ErrorDomain::cancelled, stoppedWithLine, line); }

void Job::stopIfCancelled(const PrivilegedRunResult& ran, bool helperSaidCancelled,
                          const QString& partWay) const {
  if (!ran.cancelled) return;
  if (!ran.toolStarted) stop(cancelledLine());
  // A tool that ended on its own before the cancel reached it is reported as
  // it ended.
  if (ran.exitStatus != HelperContract::cancelled) return;
  stop(helperSaidCancelled ? QString() : partWay);
}

}  // namespace tessaro
