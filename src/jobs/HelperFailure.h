// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// What the helper was doing to the drive when it stopped.
enum class HelperWork { format, check, read, probe };

// Why the Linux helper stopped, in the user's terms, for one of its own exit
// statuses (HelperContract::Status); for a status a tool reported, "a tool
// failed" when a format ends with it, else empty.
QString helperFailureReason(int exitStatus, HelperWork work);

}  // namespace tessaro
