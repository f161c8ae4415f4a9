// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "exec/PrivilegedRunner.h"

namespace tessaro {

// Linux: runs the tool (the root helper) through pkexec, or directly when this
// process already runs as root, and reads its output in frames (HelperFrames).
// The helper's start marker tells pkexec's own refusals from the helper's exit
// statuses; a cancel reaches the helper through its standard input.
class PkexecRunner : public PrivilegedRunner {
 public:
  // Tests put a stand-in for pkexec here; forceElevation uses it even as root.
  explicit PkexecRunner(QString elevationProgram = QStringLiteral("/usr/bin/pkexec"),
                        bool forceElevation = false);

  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, PrivilegedOutput output,
                                       std::shared_ptr<Cancellation> cancel) override;
  QCoro::Task<PrivilegedRunResult> runWithRequests(
      QString tool, QStringList args, PrivilegedOutput output,
      std::shared_ptr<HelperRequests> requests) override;

 private:
  QCoro::Task<PrivilegedRunResult> launch(QString tool, QStringList args, PrivilegedOutput output,
                                          std::shared_ptr<Cancellation> cancel,
                                          std::shared_ptr<HelperRequests> requests);

  QString elevationProgram_;
  bool forceElevation_;
};

}  // namespace tessaro
