// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/LogReport.h"

#include "ui/ContentView.h"

namespace tessaro {

LogReport::LogReport(ContentView& view, Outcome outcome) : view_(view), outcome_(outcome) {}

void LogReport::started(const QString& title) {
  view_.setBusy(true);
  if (!title.isEmpty()) view_.setStatusLog(title);
}

void LogReport::lines(const QStringList& lines) {
  if (!lines.isEmpty()) view_.appendLogLines(lines);
}

void LogReport::progress(const ProbeProgress& progress) { view_.showProbeProgress(progress); }

void LogReport::succeeded(const QString& line) { showOutcome(line); }

void LogReport::failed(const QString& line) { showOutcome(line); }

void LogReport::cancelled(const QString& line) {
  if (!line.isEmpty()) showOutcome(line);
}

void LogReport::finished() { view_.setBusy(false); }

void LogReport::showOutcome(const QString& line) {
  if (outcome_ == Outcome::replacesLog) {
    view_.setStatusLog(line);
  } else {
    view_.appendLog(line);
  }
}

}  // namespace tessaro
