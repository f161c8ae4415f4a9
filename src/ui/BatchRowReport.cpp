// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/BatchRowReport.h"

#include "drives/ProbeProgressText.h"
#include "ui/BatchDialog.h"
#include "ui/ContentView.h"

namespace tessaro {

BatchRowReport::BatchRowReport(ContentView& view, BatchDialog& dialog, qsizetype row, QString name)
    : view_(view), dialog_(dialog), row_(row), name_(std::move(name) + QStringLiteral(": ")) {}

void BatchRowReport::started(const QString& title) {
  if (!title.isEmpty()) view_.appendLogLines({name_ + title});
}

void BatchRowReport::lines(const QStringList& lines) {
  QStringList told;
  for (const QString& line : lines) told << name_ + line;
  view_.appendLogLines(told);
}

void BatchRowReport::progress(const ProbeProgress& progress) {
  dialog_.showProgress(row_, progress.fraction, probeProgressText(progress));
}

void BatchRowReport::stepProgress(double fraction) {
  dialog_.showProgress(row_, fraction, probeProgressText(ProbeProgress{fraction, std::nullopt, 0}));
}

void BatchRowReport::succeeded(const QString& line) {
  dialog_.showProgress(row_, 1.0, probeProgressText(ProbeProgress{1.0, std::nullopt, 0}));
  outcome(line);
}

void BatchRowReport::failed(const QString& line) { outcome(line); }

void BatchRowReport::cancelled(const QString& line) {
  outcome(line.isEmpty() ? BatchDialog::tr("Stopped.") : line);
}

void BatchRowReport::outcome(const QString& line) {
  view_.appendLogLines({name_ + line});
  dialog_.showResult(row_, line);
}

}  // namespace tessaro
