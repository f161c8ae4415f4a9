// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLocale>
#include <QString>

#include "drives/ByteCount.h"

namespace tessaro {

// The locale whose numbers the user reads: that of the language Tessaro
// speaks to them (its translation names it), so that the window and
// tessaro-cli write "32,02 GB" in German whatever locale the tools run in.
// The root helper's lines, installed no translation, keep English numbers.
QLocale userNumberLocale();

// formatByteCount with the decimal point of numbers.
QString formatByteCount(qint64 bytes, const QLocale& numbers);

}  // namespace tessaro
