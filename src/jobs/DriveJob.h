// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/DiskTools.h"
#include "exec/ProcessRunner.h"
#include "jobs/Job.h"

namespace tessaro {

// A job on one drive: the platform's disk tools say what to run, the runner
// runs it (with administrator rights for the steps that need them).
class DriveJob : public Job {
 protected:
  DriveJob(const DiskTools& tools, ProcessRunner& runner) : tools_(tools), runner_(runner) {}

  const DiskTools& tools_;
  ProcessRunner& runner_;
};

}  // namespace tessaro
