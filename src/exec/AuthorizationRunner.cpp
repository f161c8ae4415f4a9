// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/AuthorizationRunner.h"

#include "exec/MacPrivilegedTool.h"
#include "exec/OnWorkerThread.h"
#include "exec/OutputLineDecoder.h"

namespace tessaro {

// macOS builds link this file; Linux builds take PkexecRunner.cpp.
std::unique_ptr<PrivilegedRunner> PrivilegedRunner::platformDefault() {
  return std::make_unique<AuthorizationRunner>();
}

QCoro::Task<PrivilegedRunResult> AuthorizationRunner::run(QString tool, QStringList args,
                                                          PrivilegedOutput output,
                                                          std::shared_ptr<Cancellation> cancel) {
  Q_UNUSED(cancel);
  // The tool is macOS's own (diskutil), not the helper: its lines are all text.
  OnWorkerThread<int32_t> ran([tool, args, onLines = output.lines] {
    OutputLineDecoder decoder(maxLineLength);
    const int32_t status = runPrivilegedTool(
        tool, args, [&](const QByteArray& bytes) { deliver(decoder.feed(bytes), onLines); });
    deliver(decoder.finish(), onLines);
    return status;
  });
  const int32_t status = co_await ran;
  if (status != 0) throw authorizationFailed(status);
  co_return PrivilegedRunResult{std::nullopt, true, false};
}

}  // namespace tessaro
