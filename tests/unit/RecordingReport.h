// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QStringList>

#include "drives/ProbeProgressText.h"
#include "jobs/Report.h"

namespace tessaro::test {

// Keeps what a job reported, one entry per call: "started: <title>",
// "lines: <lines joined by \n>", "progress: 42 %", "succeeded: …", "failed: …",
// "finished".
class RecordingReport : public Report {
 public:
  void started(const QString& title) override { add("started: " + title); }
  void lines(const QStringList& lines) override { add("lines: " + lines.join('\n')); }
  void succeeded(const QString& line) override { add("succeeded: " + line); }
  void failed(const QString& line) override { add("failed: " + line); }
  void cancelled(const QString& line) override { add("cancelled: " + line); }
  void finished() override { add("finished"); }
  void progress(const ProbeProgress& progress) override {
    add("progress: " + probeProgressText(progress));
  }
  void stepProgress(double fraction) override { add("steps: " + QString::number(fraction)); }
  void verified(const contract::FormatVerdict& found) override {
    add("verified: " + QString::fromStdString(found.fileSystem) + " \"" +
        QString::fromStdString(found.label) + '"');
  }

  QStringList calls() const {
    QMutexLocker lock(&mutex_);
    return calls_;
  }

 private:
  void add(const QString& call) {
    QMutexLocker lock(&mutex_);
    calls_ << call;
  }

  mutable QMutex mutex_;
  QStringList calls_;
};

}  // namespace tessaro::test
