// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogReport.h"

#include "ui/ContentView.h"

namespace tessaro {

LogReport::LogReport(ContentView& view, Outcome outcome, Busy busy)
    : view_(view), outcome_(outcome), busy_(busy) {}

void LogReport::started(const QString& title) {
  if (busy_ == Busy::shown) view_.setBusy(true);
  if (!title.isEmpty()) view_.setStatusLog(title);
}

void LogReport::lines(const QStringList& lines) {
  if (!lines.isEmpty()) view_.appendLogLines(lines);
}

void LogReport::progress(const ProbeProgress& progress) { view_.showProbeProgress(progress); }

void LogReport::stepProgress(double fraction) { view_.showStepProgress(fraction); }

void LogReport::succeeded(const QString& line) { showOutcome(line); }

void LogReport::failed(const QString& line) { showOutcome(line); }

void LogReport::cancelled(const QString& line) {
  if (!line.isEmpty()) showOutcome(line);
}

void LogReport::finished() {
  if (busy_ == Busy::shown) view_.setBusy(false);
}

void LogReport::showOutcome(const QString& line) {
  if (outcome_ == Outcome::replacesLog) {
    view_.setStatusLog(line);
  } else {
    view_.appendLog(line);
  }
}

}  // namespace tessaro
