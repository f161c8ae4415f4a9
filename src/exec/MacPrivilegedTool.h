// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace tessaro {

// Receives the bytes of one read of the privileged tool's output (1 to 4096).
using PrivilegedOutputHandler = std::function<void(const QByteArray&)>;

// macOS: asks the authorization service for "system.privilege.admin" (the
// platform may show its administrator dialog), starts tool with args with that
// right and hands its standard output to onOutput read by read until it ends.
// Returns 0, or the status of the step that failed. Blocks its thread
// throughout; never call it on the UI thread. Never learns the exit status.
int32_t runPrivilegedTool(const QString& tool, const QStringList& args,
                          const PrivilegedOutputHandler& onOutput);

}  // namespace tessaro
