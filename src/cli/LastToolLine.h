// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

namespace tessaro {

// The last non-empty line a job's tools wrote, kept for whoever says why the
// job failed in the tools' own words. Taken on the runner's reading thread,
// read on any.
class LastToolLine {
 public:
  void take(const QStringList& lines) {
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
      if (line->trimmed().isEmpty()) continue;
      QMutexLocker lock(&mutex_);
      last_ = line->trimmed();
      return;
    }
  }
  QString get() const {
    QMutexLocker lock(&mutex_);
    return last_;
  }

 private:
  mutable QMutex mutex_;
  QString last_;
};

}  // namespace tessaro
