// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <QString>

#include "drives/DiskTools.h"
#include "exec/ProcessRunner.h"

namespace tessaro {

// The first partition of a whole disk, without "/dev/". Raises when the
// lookup tool cannot be started or names no partition.
// A cancel ends the lookup with the runner's cancellation.
QCoro::Task<QString> findPartition(const DiskTools& tools, ProcessRunner& runner, QString bsdName,
                                   std::shared_ptr<Cancellation> cancel = {});

}  // namespace tessaro
