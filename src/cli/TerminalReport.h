// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "cli/CliOutput.h"
#include "cli/LastToolLine.h"
#include "jobs/Report.h"

namespace tessaro {

// A job on the terminal: its title, the tools' lines (as they printed them)
// and Tessaro's own and its success on standard output, one per line, as the
// window's log shows them; warnings
// and a cancel on standard error, after "tessaro-cli: ". A failure is left to
// whoever runs the job, which has its error; the tools' last line, which
// says why in their own words, is kept for it. Quiet, for --json where
// standard output carries the document alone, writes only to standard error.
// Progress is one line redrawn in place on a terminal, a line per step
// elsewhere, nothing when quiet.
class TerminalReport : public Report {
 public:
  enum class Mode { lines, quiet };

  explicit TerminalReport(CliOutput& output, Mode mode = Mode::lines);

  void started(const QString& title) override;
  void lines(const QStringList& lines) override;
  void ownLines(const QStringList& lines) override;
  void warning(const QString& line) override;
  void succeeded(const QString& line) override;
  void failed(const QString& line) override;
  void cancelled(const QString& line) override;
  void progress(const ProbeProgress& progress) override;
  void stepProgress(double fraction) override;
  void finished() override { endProgress(); }

  // The last non-empty line a tool wrote.
  QString lastToolLine() const { return lastToolLine_.get(); }

 private:
  // Clears a redrawn progress line, so that the next line starts afresh.
  void endProgress();

  CliOutput& output_;
  Mode mode_;
  bool progressShown_ = false;
  LastToolLine lastToolLine_;
};

}  // namespace tessaro
