// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>

#include "drives/Drive.h"

namespace tessaro {

// Lower-case bus names that mark a disk as external.
inline const QStringList externalBusProtocols{QStringLiteral("usb"), QStringLiteral("thunderbolt"),
                                              QStringLiteral("firewire"), QStringLiteral("sd")};

// What a platform tool says about where a disk sits.
struct DiskPlacement {
  QString bus;  // compared after lower-casing; empty when unknown
  bool removable = false;
  bool ejectable = false;
  bool internal = false;
};

// A disk is offered when it is removable or ejectable, sits on an external
// bus, or names no bus and does not say it is internal.
bool isExternalOrRemovable(const DiskPlacement& placement);

// "<size> <model> (<bsdName>)", or "<size> (<bsdName>)" without a model.
QString driveDescription(qint64 size, const QString& model, const QString& bsdName);

// A drive record as discovery makes it: new random id, never a system drive.
Drive discoveredDrive(const QString& bsdName, const QString& model, qint64 size);

}  // namespace tessaro
