#include "jobs/Job.h"

#include "exec/Error.h"

namespace tessaro {

QCoro::Task<bool> Job::run(Report& report) {
  report.started(title());
  bool done = false;
  try {
    co_await perform(report);
    done = true;
  } catch (const std::exception& error) {
    if (isCancellation(error)) {
      report.cancelled(describeError(error));
    } else {
      report.failed(failureLine(describeError(error)));
    }
  } catch (...) {
    report.failed(failureLine(QStringLiteral("Unexpected failure")));
  }
  report.finished();
  co_return done;
}

void Job::fail(const QString& description) { throw Error(QStringLiteral("Job"), 1, description); }

void Job::stop(const QString& line) { throw Error(ErrorDomain::cancelled, 0, line); }

}  // namespace tessaro
