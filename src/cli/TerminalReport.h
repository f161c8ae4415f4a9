// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "cli/CliOutput.h"
#include "jobs/Report.h"

namespace tessaro {

// A job on the terminal: its title, its lines and its outcome on standard
// output, one per line, as the window's log shows them. Quiet, only a
// failure or cancel line is written, on standard error: for --json, where
// standard output carries the document alone. Progress is one line redrawn
// in place on a terminal, a line per step elsewhere, nothing when quiet.
class TerminalReport : public Report {
 public:
  enum class Mode { lines, quiet };

  explicit TerminalReport(CliOutput& output, Mode mode = Mode::lines);

  void started(const QString& title) override;
  void lines(const QStringList& lines) override;
  void succeeded(const QString& line) override;
  void failed(const QString& line) override;
  void cancelled(const QString& line) override;
  void progress(const ProbeProgress& progress) override;
  void finished() override { endProgress(); }

 private:
  // Clears a redrawn progress line, so that the next line starts afresh.
  void endProgress();

  CliOutput& output_;
  Mode mode_;
  bool progressShown_ = false;
};

}  // namespace tessaro
