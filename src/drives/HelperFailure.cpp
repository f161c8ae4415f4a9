// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/HelperFailure.h"

#include "exec/HelperContract.h"

namespace tessaro {

QString helperFailureReason(int exitStatus, const QString& doing) {
  namespace contract = HelperContract;
  switch (exitStatus) {
    case contract::usage:
      return QStringLiteral("the helper did not accept the request");
    case contract::refusedDevice:
      return QStringLiteral("the drive is not one Tessaro may change");
    case contract::refusedRequest:
      return QStringLiteral("the volume name or cluster size cannot be used on this drive");
    case contract::verificationFailed:
      return QStringLiteral("the drive does not hold what was asked");
    case contract::deviceChanged:
      return QStringLiteral("the drive changed while it was being ") + doing;
    case contract::deviceBusy:
      return QStringLiteral("the drive is in use by another program");
    case contract::toolMissing:
      return QStringLiteral("a program it needs is not installed");
    case contract::toolFailed:
      return QStringLiteral("a tool failed");
    case contract::cancelled:
      return QStringLiteral("it was cancelled");
    default:
      return {};
  }
}

QString helperFailureSuffix(int exitStatus, const QString& doing) {
  const QString reason = helperFailureReason(exitStatus, doing);
  const QString status =
      QStringLiteral("(exit status ") + QString::number(exitStatus) + QLatin1Char(')');
  return reason.isEmpty() ? QLatin1Char(' ') + status
                          : QStringLiteral(": ") + reason + QLatin1Char(' ') + status;
}

}  // namespace tessaro
