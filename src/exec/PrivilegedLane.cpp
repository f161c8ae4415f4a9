// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/PrivilegedLane.h"

#include "exec/SharedPrivilegedRun.h"

namespace tessaro {

QCoro::Task<PrivilegedRunResult> PrivilegedLane::run(QString tool, QStringList args,
                                                     PrivilegedOutput output,
                                                     std::shared_ptr<Cancellation> cancel) {
  return shared_.runLane(index_, std::move(tool), std::move(args), std::move(output),
                         std::move(cancel));
}

}  // namespace tessaro
