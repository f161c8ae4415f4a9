// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace tessaro {

// A byte count as a file-size text with decimal units (1 KB = 1000 bytes):
// "0 B", "1 B", "999 B", "2 KB", "1.5 MB", "32 GB", "15.76 GB".
QString formatByteCount(qint64 bytes);
// The same with numbers in a language's way ("15,76 GB" in German).
QString formatByteCount(qint64 bytes, const QLocale& numbers);

// The locale whose numbers the user reads: that of the language Tessaro
// speaks to them (its translation names it), so that the window and
// tessaro-cli write "32,02 GB" in German whatever locale the tools run in.
// The root helper's lines, installed no translation, keep English numbers.
QLocale userNumberLocale();

// A byte count as sfdisk and lsblk read one: a whole or decimal number, then
// nothing (bytes), K, M, G or T, or KiB ... TiB (powers of 1024), or KB ...
// TB (powers of 1000), letters in either case ("1G", "1.5GiB", "500MB").
// None for anything else, for 0 and for a count beyond 2^63 - 1; a fraction
// of a byte is dropped.
std::optional<qint64> parseByteCount(const QString& text);

}  // namespace tessaro
