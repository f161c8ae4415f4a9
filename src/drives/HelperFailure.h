// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// Why the Linux helper stopped, in the user's terms, for one of its own exit
// statuses (HelperContract::Status); empty for a status a tool reported.
// doing names the work: "formatted", "checked", "read".
QString helperFailureReason(int exitStatus, const QString& doing);

// A workflow's failure line ending: ": reason (exit status N)", or
// " (exit status N)" for a tool's own status.
QString helperFailureSuffix(int exitStatus, const QString& doing);

}  // namespace tessaro
