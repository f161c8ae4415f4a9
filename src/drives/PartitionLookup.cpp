// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/PartitionLookup.h"

namespace tessaro {

QCoro::Task<QString> findPartition(const DiskTools& tools, ProcessRunner& runner, QString bsdName,
                                   std::shared_ptr<Cancellation> cancel) {
  const QStringList command = tools.partitionListCommand(bsdName);
  const QString text = co_await runner.runAndCapture(command, {}, std::move(cancel));
  co_return tools.parseFirstPartition(text, bsdName);
}

}  // namespace tessaro
