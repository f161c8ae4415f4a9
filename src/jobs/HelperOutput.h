// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <functional>
#include <optional>

#include "exec/HelperEvent.h"
#include "exec/PrivilegedRunner.h"

namespace tessaro {

// Reads what one run of tessaro-helper prints, as it arrives: its lines for
// people go on to showLines, its events to onEvent, and no event line, well
// formed or not, is shown. Every job that runs the helper reads it here.
class HelperOutput {
 public:
  using EventHandler = std::function<void(const HelperEvent&)>;

  explicit HelperOutput(LineHandler showLines, EventHandler onEvent = {})
      : showLines_(std::move(showLines)), onEvent_(std::move(onEvent)) {}

  // The handler to give the run; it refers to this object, which outlives
  // the run. It is called on the runner's reading thread.
  LineHandler reader();

  // The helper's failure event, the last it told; read after the run.
  const std::optional<HelperEvent>& failure() const { return failure_; }
  // Whether that failure says the run was cancelled, so that the helper's
  // own line has ended what was shown.
  bool saidCancelled() const;

 private:
  void read(const QStringList& lines);

  LineHandler showLines_;
  EventHandler onEvent_;
  std::optional<HelperEvent> failure_;
};

}  // namespace tessaro
