// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

namespace tessaro {

// The volume name a format writes: "UNTITLED" when the label is blank, else
// the label exactly as typed (not trimmed), upper-cased, non-ASCII included.
// The rules a name then meets are the shared model's (FormatRequestRules).
QString deriveVolumeName(const QString& label);

}  // namespace tessaro
