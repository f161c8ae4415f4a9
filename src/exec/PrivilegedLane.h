// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "exec/PrivilegedRunner.h"

namespace tessaro {

class SharedPrivilegedRun;

// One disk's share of a SharedPrivilegedRun, in the place of a privileged
// runner of its own: its run is that disk's run within the shared one.
class PrivilegedLane : public PrivilegedRunner {
 public:
  PrivilegedLane(SharedPrivilegedRun& shared, qsizetype index) : shared_(shared), index_(index) {}

  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, PrivilegedOutput output,
                                       std::shared_ptr<Cancellation> cancel) override;

 private:
  SharedPrivilegedRun& shared_;
  qsizetype index_;
};

}  // namespace tessaro
