// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/DiskManager.h"
#include "jobs/Job.h"

namespace tessaro {

// Rebuilds the drive list of a DiskManager. At start-up it first names what
// to install for missing tools and says nothing when the refresh works; on
// request it starts a new account and counts the drives found; after device
// events it says nothing when it works and adds to the account shown.
class RefreshJob : public Job {
 public:
  enum class Occasion { startUp, request, deviceChange };

  RefreshJob(DiskManager& manager, Occasion occasion);

 protected:
  QString title() const override;
  QCoro::Task<> perform(Report& report) override;
  QString failureLine(const QString& description) const override;
  QString cancelledLine() const override;

 private:
  DiskManager& manager_;
  Occasion occasion_;
};

}  // namespace tessaro
