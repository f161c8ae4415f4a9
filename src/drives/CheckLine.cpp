// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/CheckLine.h"

namespace tessaro {

int linuxCheckStatus(int repairStatus, std::optional<int> recheckStatus) {
  if (repairStatus == 1 && (!recheckStatus || *recheckStatus != 0)) return 4;
  return repairStatus;
}

CheckFinding checkFinding(std::optional<int> exitStatus, bool statusTellsFinding) {
  if (!exitStatus) return CheckFinding::untold;
  if (!statusTellsFinding)
    return *exitStatus == 0 || *exitStatus == 1 ? CheckFinding::untold : CheckFinding::failed;
  switch (*exitStatus) {
    case 0:
      return CheckFinding::noErrors;
    case 1:
      return CheckFinding::errorsCorrected;
    case 4:
      return CheckFinding::errorsLeft;
    default:
      return CheckFinding::failed;
  }
}

}  // namespace tessaro
