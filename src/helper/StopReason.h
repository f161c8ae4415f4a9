// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro::helper {

// Why a verb cannot go on: the status it ends with (HelperContract::Status)
// and the line that says why, for the failure event and for people.
struct StopReason {
  int status = 0;
  QString line;
};

}  // namespace tessaro::helper
