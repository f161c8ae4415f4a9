// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMutex>
#include <QStringList>

#include "cli/CliOutput.h"

namespace tessaro {

// Where the drives of a batch say what they do, told apart by their names.
// On a terminal each drive has one line, redrawn in place with its latest
// line or progress; elsewhere every line goes out as it arrives, after its
// drive's name ("sdb: "). Failures, refusals and warnings go to standard
// error as "tessaro-cli: sdb: ...". Safe to call from any thread.
class BatchBoard {
 public:
  BatchBoard(CliOutput& output, QStringList names);

  // Tessaro's own line, or a line a tool printed (tool), about drive index.
  void line(qsizetype index, const QString& text, bool tool = false);
  // How far drive index has come; on a terminal only when steps (the step
  // lines say it elsewhere).
  void progress(qsizetype index, const QString& text, bool steps = false);
  // The drive's outcome on its line on a terminal only (standard error says
  // it elsewhere).
  void outcome(qsizetype index, const QString& text);
  void error(qsizetype index, const QString& text);
  // The lines as they stand last; nothing is redrawn after.
  void close();

 private:
  // With the mutex held.
  void redraw();
  void clear();

  CliOutput& output_;
  const QStringList names_;
  QStringList rows_;
  qsizetype drawn_ = 0;
  qsizetype nameWidth_ = 0;
  int columns_ = 80;
  bool closed_ = false;
  QMutex mutex_;
};

}  // namespace tessaro
