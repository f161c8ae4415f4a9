// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLocale>
#include <QString>

#include "drives/Drive.h"

namespace tessaro {

// Numbers in the window follow the language it speaks: "32,02 GB" and
// "65.536 Bytes" in German, "32.02 GB" and "65,536 bytes" in English.
QLocale windowLocale();

// A size in decimal units with the language's decimal point: "32,02 GB".
QString windowByteCount(qint64 bytes);

// A drive as the picker and the dialogs name it: "32,02 GB SanDisk Ultra (sdb)".
QString windowDriveDescription(const Drive& drive);

}  // namespace tessaro
