// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>

namespace tessaro {

// pkexec's own reason for not running the helper, from what it wrote to
// standard error: its last line that says something ("Not authorized",
// "Request dismissed", "No authentication agent found."), without pkexec's
// fixed lead-in and without its closing remark that the incident was
// reported; after it in brackets, up to two lines before it that say why,
// such as its agent helper's "polkit-agent-helper-1: pam_authenticate
// failed: Authentication failure", but not the agent's prompt and banners.
// Empty when it wrote nothing of use.
QString pkexecReason(const QByteArray& errorOutput);

}  // namespace tessaro
