// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/BatchDriveReport.h"

#include <QCoreApplication>

#include "drives/ProbeProgressText.h"

namespace tessaro {

BatchDriveReport::BatchDriveReport(BatchBoard& board, qsizetype index, bool quiet)
    : board_(board), index_(index), quiet_(quiet) {}

void BatchDriveReport::started(const QString& title) {
  if (!quiet_ && !title.isEmpty()) board_.line(index_, title);
}

void BatchDriveReport::lines(const QStringList& lines) {
  lastToolLine_.take(lines);
  if (quiet_) return;
  for (const QString& line : lines) board_.line(index_, line, true);
}

void BatchDriveReport::ownLines(const QStringList& lines) {
  if (quiet_) return;
  for (const QString& line : lines) board_.line(index_, line);
}

void BatchDriveReport::warning(const QString& line) { board_.error(index_, line); }

void BatchDriveReport::succeeded(const QString& line) {
  if (!quiet_) board_.line(index_, line);
}

void BatchDriveReport::failed(const QString& line) {
  if (!quiet_) board_.outcome(index_, line);
}

void BatchDriveReport::cancelled(const QString& line) {
  const QString said = line.isEmpty() ? lastToolLine() : line;
  if (!quiet_) board_.outcome(index_, said);
  if (!said.isEmpty()) board_.error(index_, said);
}

void BatchDriveReport::progress(const ProbeProgress& progress) {
  if (!quiet_)
    board_.progress(index_, QCoreApplication::translate("TerminalReport", "Progress: %1")
                                .arg(probeProgressText(progress)));
}

void BatchDriveReport::stepProgress(double fraction) {
  if (!quiet_)
    board_.progress(index_,
                    QCoreApplication::translate("TerminalReport", "Progress: %1")
                        .arg(probeProgressText(ProbeProgress{fraction, std::nullopt, 0})),
                    true);
}

}  // namespace tessaro
