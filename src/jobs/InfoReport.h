// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>

#include "drives/DriveFacts.h"

namespace tessaro {

// The drive information report: the whole disk's lines and, when there is a
// partition, its lines. A fact not reported shows as "—".
QStringList infoReportLines(const DriveFacts& facts);

}  // namespace tessaro
