// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/TerminalReport.h"

#include <QCoreApplication>

#include "drives/ProbeProgressText.h"

namespace tessaro {

namespace {
struct ReportWords {
  Q_DECLARE_TR_FUNCTIONS(TerminalReport)
};

QString progressLine(const QString& progress) {
  return ReportWords::tr("Progress: %1").arg(progress);
}
}  // namespace

TerminalReport::TerminalReport(CliOutput& output, Mode mode) : output_(output), mode_(mode) {}

void TerminalReport::started(const QString& title) {
  if (mode_ == Mode::lines && !title.isEmpty()) output_.line(title);
}

void TerminalReport::lines(const QStringList& lines) {
  lastToolLine_.take(lines);
  if (mode_ != Mode::lines) return;
  endProgress();
  output_.toolLines(lines);
}

void TerminalReport::ownLines(const QStringList& lines) {
  if (mode_ != Mode::lines) return;
  endProgress();
  output_.lines(lines);
}

void TerminalReport::warning(const QString& line) {
  endProgress();
  output_.errorLine(QStringLiteral("tessaro-cli: ") + line);
}

void TerminalReport::progress(const ProbeProgress& progress) {
  if (mode_ != Mode::lines) return;
  const QString line = progressLine(probeProgressText(progress));
  if (output_.isTerminal()) {
    output_.redraw(line);
    progressShown_ = true;
  } else {
    output_.line(line);
  }
}

// Only on a terminal: in a pipe the steps' own lines say how far it has come.
void TerminalReport::stepProgress(double fraction) {
  if (mode_ != Mode::lines || !output_.isTerminal()) return;
  output_.redraw(progressLine(probeProgressText(ProbeProgress{fraction, std::nullopt, 0})));
  progressShown_ = true;
}

void TerminalReport::succeeded(const QString& line) {
  if (mode_ != Mode::lines) return;
  endProgress();
  output_.line(line);
}

void TerminalReport::failed(const QString&) { endProgress(); }

void TerminalReport::endProgress() {
  if (!progressShown_) return;
  output_.redraw(QString());
  progressShown_ = false;
}

// An empty line: the tool's own last line has said it, on standard output;
// the one on standard error says it again.
void TerminalReport::cancelled(const QString& line) {
  endProgress();
  const QString said = line.isEmpty() ? lastToolLine() : line;
  if (!said.isEmpty()) output_.errorLine(QStringLiteral("tessaro-cli: ") + said);
}

}  // namespace tessaro
