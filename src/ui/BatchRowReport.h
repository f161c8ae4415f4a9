// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "jobs/Report.h"

namespace tessaro {

class BatchDialog;
class ContentView;

// One drive's job in the window's batch: its lines in the window's log after
// the drive's name ("sdb: "), its progress and outcome on its row.
class BatchRowReport : public Report {
 public:
  BatchRowReport(ContentView& view, BatchDialog& dialog, qsizetype row, QString name);

  void started(const QString& title) override;
  void lines(const QStringList& lines) override;
  void progress(const ProbeProgress& progress) override;
  void stepProgress(double fraction) override;
  void succeeded(const QString& line) override;
  void failed(const QString& line) override;
  void cancelled(const QString& line) override;
  void finished() override {}

 private:
  void outcome(const QString& line);

  ContentView& view_;
  BatchDialog& dialog_;
  const qsizetype row_;
  const QString name_;
};

}  // namespace tessaro
