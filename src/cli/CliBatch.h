// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QList>
#include <QObject>
#include <optional>

#include "cli/CliOutput.h"
#include "cli/CliRequest.h"
#include "cli/TerminalConfirmation.h"
#include "drives/DiskManager.h"

namespace tessaro {

// format, check or probe over several drives at once (a BatchJob), each
// drive on its own, for tessaro-cli. What each drive does is told under its
// name (BatchBoard); at the end a table gives each drive's exit status,
// result and time (for a probe also the capacity that holds data and the
// speeds), or, with --json, one document holds an entry per drive: what a
// single drive's document holds, and its "exit-status".
class CliBatch : public QObject {
  Q_OBJECT
 public:
  CliBatch(DiskManager& manager, CliOutput& output, QObject* parent = nullptr);

  // Why the drives cannot be one batch: one named twice, or two names for
  // one disk; none when they can.
  static std::optional<QString> sameDisk(const QList<Drive>& drives);
  // Why each format of the batch would be refused, one line each after the
  // drive's name; empty when none would.
  QStringList refusals(const QList<Drive>& drives, const CliRequest& request) const;
  // Asks once before the batch erases its drives, listing them all. Nothing
  // is asked (Confirmed) where nothing is erased (a check) or the drives
  // need no question.
  ConfirmationAnswer confirm(const QList<Drive>& drives, const CliRequest& request) const;
  // Says before the first write what a question would have said (--yes).
  void notices(const QList<Drive>& drives, const CliRequest& request) const;

  // Runs the batch to its end; the exit status (CliFailureStatus::ofBatch).
  QCoro::Task<int> run(QList<Drive> drives, CliRequest request);

 private:
  FormatRequest formatRequest(const Drive& drive, const CliRequest& request) const;

  DiskManager& manager_;
  CliOutput& output_;
};

}  // namespace tessaro
