// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/RefreshJob.h"

#include "jobs/ReportTexts.h"

namespace tessaro {

RefreshJob::RefreshJob(DiskManager& manager, Occasion occasion)
    : manager_(manager), occasion_(occasion) {}

QString RefreshJob::title() const {
  return occasion_ == Occasion::request ? reportText::refreshing() : QString();
}

QCoro::Task<> RefreshJob::perform(Report& report) {
  if (occasion_ == Occasion::startUp) {
    for (const QString& notice : manager_.tools().missingToolNotices()) report.warning(notice);
  }
  co_await manager_.refresh(cancellation());
  if (occasion_ == Occasion::request) {
    report.succeeded(reportText::drivesFound(manager_.drives().size()));
  }
}

QString RefreshJob::cancelledLine() const { return reportText::refreshCancelled(); }

QString RefreshJob::failureLine(const QString& description) const {
  return reportText::refreshFailed(description);
}

}  // namespace tessaro
