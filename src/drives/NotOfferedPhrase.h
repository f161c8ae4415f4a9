// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "drives/NotOfferedReason.h"

namespace tessaro {

// The reason's phrase in the user's language ("interner Datenträger").
QString notOfferedPhrase(const NotOfferedReason& reason);

}  // namespace tessaro
