// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLocale>
#include <QString>

namespace tessaro {

// A byte count as a file-size text with decimal units (1 KB = 1000 bytes):
// "Zero KB", "1 byte", "999 bytes", "2 KB", "1.5 MB", "32 GB", "15.76 GB".
QString formatByteCount(qint64 bytes);
// The same with numbers in a language's way ("15,76 GB" in German).
QString formatByteCount(qint64 bytes, const QLocale& numbers);

}  // namespace tessaro
