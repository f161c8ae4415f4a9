// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/WorkflowPolicy.h"

#include <QCoreApplication>

#include "drives/FormatRequestRules.h"
#include "drives/NumberLocale.h"
#include "drives/VolumeName.h"

namespace tessaro {

namespace {

struct RuleText {
  Q_DECLARE_TR_FUNCTIONS(FormatRequestRules)
};

}  // namespace

bool WorkflowPolicy::asksBeforeFormat(const FormatRequest& request) const {
  return !tools_.validateFormat(request).has_value();
}

bool WorkflowPolicy::asksBeforeCapacityTest(const Drive& drive) const {
  return tools_.probeCommand(drive.bsdName).has_value();
}

// The window and tessaro-cli assume 512-byte sectors here, as their checks of
// a request do; the helper, which knows the sector size, says it again.
QString WorkflowPolicy::formatNotice(const FormatRequest& request) {
  const std::optional<std::int64_t> end =
      mbrLimitedEnd(request.drive.size, request.partitionBytes, 512);
  if (!end) return {};
  return RuleText::tr(
             "Only the first %1 of %2 can be used: an MBR partition table cannot "
             "address more.")
      .arg(formatByteCount(qint64(*end), userNumberLocale()),
           formatByteCount(request.drive.size, userNumberLocale()));
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
    offer.request.partitionBytes = partitionBytesWithin(std::int64_t(result.usableBytes));
    offer.withinHeldData = true;
  }
  offer.refusal = tools_.validateFormat(offer.request);
  return offer;
}

}  // namespace tessaro
