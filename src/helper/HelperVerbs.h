// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QStringList>

namespace tessaro::helper {

// One function per verb; each takes the words after the verb and returns the
// process's exit status (HelperContract::Status, or a tool's own below 64).
// Stopping early throws HelperStop after the failure event and the line that
// says why.
int formatVerb(const QStringList& args);
int checkVerb(const QStringList& args);
int infoVerb(const QStringList& args);
int probeVerb(const QStringList& args);

}  // namespace tessaro::helper
