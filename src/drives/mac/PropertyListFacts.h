// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "drives/DriveFacts.h"

namespace tessaro {

// The facts in "diskutil info -plist" output for a disk and, when a second
// document follows, its partition: the output is split at every "<?xml"; a
// document that cannot be read, or whose top level is not a dictionary,
// reads as one without any value. None when the output holds no document.
std::optional<DriveFacts> driveFactsFromPropertyLists(const QString& output);

}  // namespace tessaro
