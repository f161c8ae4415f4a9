// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <deque>
#include <memory>
#include <optional>

namespace tessaro {

// The lines of the status log. Keeps the last lineLimit lines in memory and,
// in place of the lines it let go, one line that says how many there were;
// every line of the current workflow, from the line that replaced the log
// on, also goes to a temporary file, from which the whole log can be saved.
class StatusLog {
 public:
  static constexpr qsizetype defaultLineLimit = 100'000;

  explicit StatusLog(qsizetype lineLimit = defaultLineLimit);

  // Drops everything and starts over with text (its lines).
  void replace(const QString& text);
  void append(const QStringList& lines);

  // What the log shows: the dropped-lines line, if any, then the kept lines,
  // joined by line feeds.
  QString text() const;
  qsizetype droppedLines() const { return dropped_; }
  qsizetype lineLimit() const { return lineLimit_; }
  // Every line since the last replace, also those no longer kept.
  qsizetype totalLines() const { return dropped_ + qsizetype(kept_.size()); }
  // Line number (counted from 0 at the last replace) while it is kept:
  // droppedLines() <= number < totalLines().
  const QString& line(qsizetype number) const { return kept_[size_t(number - dropped_)]; }

  // Writes every line since the last replace to path. On failure returns a
  // readable reason.
  std::optional<QString> saveTo(const QString& path) const;

  // The line that stands for dropped lines.
  static QString droppedNotice(qsizetype dropped);

 private:
  void record(const QStringList& lines);

  qsizetype lineLimit_;
  std::deque<QString> kept_;
  qsizetype dropped_ = 0;
  std::unique_ptr<QTemporaryFile> record_;
  bool recordFailed_ = false;
};

}  // namespace tessaro
