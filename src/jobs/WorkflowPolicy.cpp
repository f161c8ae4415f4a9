// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/WorkflowPolicy.h"

#include "drives/FormatRequestRules.h"

namespace tessaro {

bool WorkflowPolicy::asksBeforeFormat(const FormatRequest& request) const {
  return !tools_.validateFormat(request).has_value();
}

bool WorkflowPolicy::asksBeforeCapacityTest(const Drive& drive) const {
  return tools_.probeCommand(drive.bsdName).has_value();
}

// The window and tessaro-cli assume 512-byte sectors here, as their checks of
// a request do; the helper, which knows the sector size, says it again.
QString WorkflowPolicy::formatNotice(const FormatRequest& request) {
  return mbrLimitNotice(request.drive.size, request.partitionBytes);
}

WorkflowPolicy::CapacityFormat WorkflowPolicy::formatAfterTest(
    const Drive& drive, const ProbeResult& result, const QString& label,
    std::optional<int> clusterBytes) const {
  CapacityFormat offer;
  offer.request = FormatRequest{drive, deriveVolumeName(label), clusterBytes, std::nullopt};
  if (result.verdict == ProbeResult::Verdict::failed) {
    offer.unusable = true;
    return offer;
  }
  // A drive that loses data beyond some point is formatted only as far as it
  // holds data from its start, and only in a size a format accepts.
  if (!result.genuine()) {
    offer.request.partitionBytes = partitionBytesWithin(qint64(result.usableBytes));
    offer.withinHeldData = true;
  }
  offer.refusal = tools_.validateFormat(offer.request);
  return offer;
}

}  // namespace tessaro
