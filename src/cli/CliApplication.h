// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QObject>
#include <optional>

#include "cli/CliExitStatus.h"
#include "cli/CliOutput.h"
#include "cli/CliRequest.h"
#include "cli/TerminalReport.h"
#include "drives/DiskManager.h"
#include "jobs/Job.h"

namespace tessaro {

// Carries out one request of the command line with the window's engine: the
// same DiskManager, disk tools, runner and helper, the same jobs and texts.
//
// Standard output carries the tools' lines, progress and the outcome of
// what went well, and nothing before a request has passed its checks; every
// failure, refusal and warning goes to standard error as one line after
// "tessaro-cli: ", in the user's words and language. With --json standard
// output carries one JSON document only, and a failure is in it too, as
// {"error": {"kind": ..., "message": ..., "reason": ..., "written": ...,
// "status": ...}}.
class CliApplication : public QObject {
  Q_OBJECT
 public:
  CliApplication(DiskManager& manager, CliOutput& output, QObject* parent = nullptr);

  // The exit status of the request; everything it has to say is written.
  QCoro::Task<int> run(CliRequest request);

  // The document of a failure for --json; reason (the tool's own words) is
  // null when empty; written says whether the drive was changed before the
  // failure; status is the exit status of the helper or tool that ended it,
  // null where none did.
  static QByteArray errorDocument(const QString& kind, const QString& message,
                                  const QString& reason = {}, bool written = false,
                                  std::optional<int> status = std::nullopt);

 private:
  QCoro::Task<int> dispatch(CliRequest request);
  QCoro::Task<int> list(CliRequest request);
  // format, check or probe over several drives (CliBatch), after every one
  // has passed the checks a single one would, as one batch.
  QCoro::Task<int> batch(CliRequest request);
  // Each of these works on one drive that resolveDrive gave.
  QCoro::Task<int> info(Drive drive, bool json);
  QCoro::Task<int> check(Drive drive, bool readOnly);
  QCoro::Task<int> format(Drive drive, CliRequest request);
  QCoro::Task<int> probe(Drive drive, CliRequest request);
  // Asks prompt on the terminal before drive is erased; the exit status when
  // the erase is not confirmed, after saying so.
  std::optional<int> refuseUnconfirmed(const QString& prompt, const Drive& drive);
  // The drive DEVICE names, or none after saying why it is refused; one the
  // request would write to is refused when it is read-only.
  QCoro::Task<std::optional<Drive>> resolveDrive(QString argument, bool writes);
  // Runs job to its end; Ctrl+C meanwhile cancels it as the window's Cancel
  // does, and so does output that nobody reads any more. A failure is said.
  QCoro::Task<int> runJob(Job& job, TerminalReport& report);
  // Says on standard error in one line why the request failed, and keeps it
  // for the JSON document (kind: the status's own unless given); the exit
  // status.
  int fail(int status, const QString& message, const QString& kind = {});

  DiskManager& manager_;
  CliOutput& output_;
  struct Failure {
    QString kind;
    QString message;
    QString reason;
    bool written = false;
    std::optional<int> status;
  };
  std::optional<Failure> failure_;
  bool documentWritten_ = false;
};

}  // namespace tessaro
