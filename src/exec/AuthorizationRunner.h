// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "exec/PrivilegedRunner.h"

namespace tessaro {

// macOS: runs the tool through the authorization service, which may show its
// administrator dialog. The service never reports the tool's exit status and
// gives no way to stop it.
class AuthorizationRunner : public PrivilegedRunner {
 public:
  QCoro::Task<PrivilegedRunResult> run(QString tool, QStringList args, PrivilegedOutput output,
                                       std::shared_ptr<Cancellation> cancel) override;
};

}  // namespace tessaro
