// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QStringList>
#include <ostream>

#include "jobs/Report.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tessaro::test {

// Keeps what a job reported, one entry per call: "started: <title>",
// "lines: <lines joined by \n>", "succeeded: …", "failed: …", "finished".
class RecordingReport : public Report {
 public:
  void started(const QString& title) override { add("started: " + title); }
  void lines(const QStringList& lines) override { add("lines: " + lines.join('\n')); }
  void succeeded(const QString& line) override { add("succeeded: " + line); }
  void failed(const QString& line) override { add("failed: " + line); }
  void cancelled(const QString& line) override { add("cancelled: " + line); }
  void finished() override { add("finished"); }

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
