// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/TerminalReport.h"

namespace tessaro {

TerminalReport::TerminalReport(CliOutput& output, Mode mode) : output_(output), mode_(mode) {}

void TerminalReport::started(const QString& title) {
  if (mode_ == Mode::lines && !title.isEmpty()) output_.line(title);
}

void TerminalReport::lines(const QStringList& lines) {
  if (mode_ != Mode::lines) return;
  endProgress();
  output_.lines(lines);
}

void TerminalReport::progress(const ProbeProgress& progress) {
  if (mode_ != Mode::lines) return;
  const QString line = QStringLiteral("Progress: ") + progress.text();
  if (output_.isTerminal()) {
    output_.redraw(line);
    progressShown_ = true;
  } else {
    output_.line(line);
  }
}

void TerminalReport::succeeded(const QString& line) {
  if (mode_ != Mode::lines) return;
  endProgress();
  output_.line(line);
}

void TerminalReport::failed(const QString& line) {
  endProgress();
  if (mode_ == Mode::lines)
    output_.line(line);
  else
    output_.errorLine(line);
}

void TerminalReport::endProgress() {
  if (!progressShown_) return;
  output_.redraw(QString());
  progressShown_ = false;
}

// An empty line: the tool's own last line has said it.
void TerminalReport::cancelled(const QString& line) {
  if (!line.isEmpty()) failed(line);
}

}  // namespace tessaro
