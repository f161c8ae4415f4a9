// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <functional>
#include <optional>

#include "contract/HelperEvent.h"
#include "exec/PrivilegedRunner.h"

namespace tessaro {

// Reads what one run of tessaro-helper prints, as it arrives: its lines for
// people go on to showLines, its events to onEvent (they are never among the
// lines). Every job that runs the helper reads it here.
class HelperOutput {
 public:
  explicit HelperOutput(LineHandler showLines, EventHandler onEvent = {})
      : showLines_(std::move(showLines)), onEvent_(std::move(onEvent)) {}

  // The handlers to give the run; they refer to this object, which outlives
  // the run. They are called on the runner's reading thread.
  PrivilegedOutput reader();

  // The helper's failure event, the last it told; read after the run.
  const std::optional<contract::FailureEvent>& failure() const { return failure_; }
  // The helper's own line that says what a cancel left ("Cancelled: ..."),
  // when its failure event said it was cancelled; empty otherwise. The line
  // is not among those shown: it ends the job's account instead, once.
  QString cancelledLine() const;

 private:
  void read(const QStringList& lines);
  void take(const contract::HelperEvent& event);

  LineHandler showLines_;
  EventHandler onEvent_;
  std::optional<contract::FailureEvent> failure_;
  // The line that follows a cancelled run's failure event, not to be shown.
  QString notShown_;
};

}  // namespace tessaro
