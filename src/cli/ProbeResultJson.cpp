// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/ProbeResultJson.h"

#include <QJsonValue>

namespace tessaro {

// Byte counts up to 2^53 are exact as JSON numbers: 8 PiB, far above any drive.
QJsonObject ProbeResultJson::object(const ProbeResult& result, const Drive& drive) {
  return {
      {QStringLiteral("device"), drive.devicePath},
      {QStringLiteral("verdict"),
       result.genuine() ? QStringLiteral("genuine") : QStringLiteral("counterfeit")},
      {QStringLiteral("summary"), result.verdict()},
      {QStringLiteral("claimedBytes"), qint64(result.claimedBytes)},
      {QStringLiteral("usableBytes"), qint64(result.usableBytes)},
      {QStringLiteral("firstBadOffset"),
       result.firstBadOffset ? QJsonValue(qint64(*result.firstBadOffset)) : QJsonValue()},
      {QStringLiteral("samples"), result.samples},
      {QStringLiteral("intact"), result.intact},
      {QStringLiteral("aliased"), result.aliased},
      {QStringLiteral("lost"), result.lost},
  };
}

}  // namespace tessaro
