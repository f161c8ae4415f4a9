// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "jobs/Report.h"

namespace tessaro {

class ContentView;

// Shows a job in a window: busy while it runs, its title replacing the status
// log, its lines and outcome added below, or, for a refresh, its outcome
// replacing the log as the one status line. A job the user did not start
// runs in the background: the window does not turn busy for it.
class LogReport : public Report {
 public:
  enum class Outcome { appended, replacesLog };
  enum class Busy { shown, background };

  LogReport(ContentView& view, Outcome outcome, Busy busy = Busy::shown);

  void started(const QString& title) override;
  void lines(const QStringList& lines) override;
  void succeeded(const QString& line) override;
  void failed(const QString& line) override;
  void progress(const ProbeProgress& progress) override;
  void stepProgress(double fraction) override;
  void cancelled(const QString& line) override;
  void finished() override;

 private:
  void showOutcome(const QString& line);

  ContentView& view_;
  Outcome outcome_;
  Busy busy_;
};

}  // namespace tessaro
