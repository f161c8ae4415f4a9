// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "cli/BatchBoard.h"
#include "cli/LastToolLine.h"
#include "jobs/Report.h"

namespace tessaro {

// One drive's job in a batch on the command line, told on the batch's board
// under the drive's name as TerminalReport tells a single job: its title,
// the tools' lines and Tessaro's own, progress and success; warnings and a
// cancel on standard error. A failure is left to whoever runs the batch;
// the tools' last line, which says why in their own words, is kept for it.
// Quiet (for --json) writes only to standard error.
class BatchDriveReport : public Report {
 public:
  BatchDriveReport(BatchBoard& board, qsizetype index, bool quiet);

  void started(const QString& title) override;
  void lines(const QStringList& lines) override;
  void ownLines(const QStringList& lines) override;
  void warning(const QString& line) override;
  void succeeded(const QString& line) override;
  void failed(const QString& line) override;
  void cancelled(const QString& line) override;
  void progress(const ProbeProgress& progress) override;
  void stepProgress(double fraction) override;
  void finished() override {}

  // The last non-empty line a tool wrote.
  QString lastToolLine() const { return lastToolLine_.get(); }

 private:
  BatchBoard& board_;
  const qsizetype index_;
  const bool quiet_;
  LastToolLine lastToolLine_;
};

}  // namespace tessaro
