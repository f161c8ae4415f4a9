// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/Job.h"

#include <QCoreApplication>

#include "contract/HelperContract.h"
#include "exec/Error.h"
#include "jobs/ReportTexts.h"

namespace tessaro {

namespace {
// The code of a job's own stop, which carries the job's last line.
constexpr qint64 stoppedWithLine = 1;

struct JobText {
  Q_DECLARE_TR_FUNCTIONS(Job)
};

// A job's own failure, raised by fail() and failRun().
class JobFailed : public Error {
 public:
  explicit JobFailed(JobFailure failure)
      : Error(ErrorDomain::job, failure.exitStatus.value_or(1), failure.description),
        failure_(std::move(failure)) {}
  const JobFailure& failure() const { return failure_; }

 private:
  JobFailure failure_;
};

// The kind of a failure that the job did not name itself.
JobFailure::Kind kindOf(const std::exception& error) {
  const auto* own = dynamic_cast<const Error*>(&error);
  if (own && own->domain() == ErrorDomain::authorization) return JobFailure::Kind::authorization;
  if (isCancellation(error)) return JobFailure::Kind::cancelled;
  return JobFailure::Kind::toolFailed;
}
}  // namespace

QCoro::Task<bool> Job::run(Report& report) {
  report.started(title());
  bool done = false;
  try {
    co_await perform(report);
    done = true;
  } catch (const std::exception& error) {
    if (const auto* failed = dynamic_cast<const JobFailed*>(&error)) {
      failure_ = failed->failure();
    } else {
      failure_ = JobFailure{kindOf(error), begunWriting_, describeError(error), std::nullopt};
    }
    if (isCancellation(error)) {
      // A job's own stop carries its last line; the runner's carries none.
      const auto& stopped = static_cast<const Error&>(error);
      report.cancelled(stopped.code() == stoppedWithLine ? stopped.description() : cancelledLine());
    } else {
      report.failed(failureLine(describeError(error)));
    }
  } catch (...) {
    failure_ = JobFailure{JobFailure::Kind::toolFailed, begunWriting_,
                          JobText::tr("Unexpected failure"), std::nullopt};
    report.failed(failureLine(failure_->description));
  }
  report.finished();
  co_return done;
}

void Job::fail(const QString& description, JobFailure::Kind kind) const {
  throw JobFailed(JobFailure{kind, begunWriting_, description, std::nullopt});
}

void Job::failRun(const QString& description, const PrivilegedRunResult& ran,
                  const std::optional<contract::FailureEvent>& helperFailure) const {
  JobFailure failure{JobFailure::Kind::toolFailed, begunWriting_, description, ran.exitStatus};
  if (helperFailure) {
    failure.kind = JobFailure::ofHelperKind(QString::fromStdString(helperFailure->kind));
    failure.written = helperFailure->written || begunWriting_;
  } else if (ran.exitStatus) {
    failure.kind =
        JobFailure::ofHelperKind(QLatin1StringView(HelperContract::failureKind(*ran.exitStatus)));
  }
  // Whatever the job was about, a drive that has gone is said so, alike for
  // every job.
  if (failure.kind == JobFailure::Kind::noSuchDevice) failure.description = reportText::driveGone();
  throw JobFailed(std::move(failure));
}

void Job::stop(const QString& line) { throw Error(ErrorDomain::cancelled, stoppedWithLine, line); }

void Job::stopIfCancelled(const PrivilegedRunResult& ran, const QString& helperCancelledLine,
                          const QString& partWay) const {
  if (!ran.cancelled) return;
  if (!ran.toolStarted) stop(cancelledLine());
  // A tool that ended on its own before the cancel reached it is reported as
  // it ended.
  if (ran.exitStatus != HelperContract::cancelled) return;
  stop(helperCancelledLine.isEmpty() ? partWay : helperCancelledLine);
}

}  // namespace tessaro
