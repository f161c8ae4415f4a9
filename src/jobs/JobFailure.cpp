// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/JobFailure.h"

#include "contract/HelperContract.h"

namespace tessaro {

JobFailure::Kind JobFailure::ofHelperKind(const QString& kind) {
  namespace contract = HelperContract;
  static const struct {
    int status;
    Kind kind;
  } kinds[] = {
      {contract::refusedDevice, Kind::refused},
      {contract::refusedRequest, Kind::refused},
      {contract::verificationFailed, Kind::verificationFailed},
      {contract::deviceChanged, Kind::deviceChanged},
      {contract::deviceBusy, Kind::deviceBusy},
      {contract::toolMissing, Kind::toolMissing},
      {contract::cancelled, Kind::cancelled},
      {contract::counterfeit, Kind::counterfeit},
      {contract::damaged, Kind::damaged},
      {contract::driveFailed, Kind::driveFailed},
      {contract::driveStopped, Kind::driveStopped},
      {contract::noSuchDevice, Kind::noSuchDevice},
  };
  for (const auto& row : kinds)
    if (kind == QLatin1StringView(contract::failureKind(row.status))) return row.kind;
  return Kind::toolFailed;
}

}  // namespace tessaro
