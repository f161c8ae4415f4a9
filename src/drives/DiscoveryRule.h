// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "drives/DiskPlacement.h"
#include "drives/Drive.h"

namespace tessaro {

// "<size> <model> (<bsdName>)", or "<size> (<bsdName>)" without a model.
QString driveDescription(qint64 size, const QString& model, const QString& bsdName);

// A drive record as discovery makes it: new random id, never a system drive.
Drive discoveredDrive(const QString& bsdName, const QString& model, qint64 size);

}  // namespace tessaro
