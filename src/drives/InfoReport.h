// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace tessaro {

// Shown for a property that the disk tool did not report (U+2014).
inline const QString kMissingValueMark = QStringLiteral("\u2014");

// The property-list documents in a captured output: split at every "<?xml",
// empty pieces dropped, the mark put back in front of each piece.
QStringList propertyListDocuments(const QString& output);

// One document read as a dictionary; empty when it cannot be read or its top
// level is not a dictionary.
QVariantMap propertyListDictionary(const QString& document);

// A value as text: text as is, numbers in decimal (Booleans as 1 or 0), the
// missing-value mark for anything else or a missing key.
QString displayString(const QVariantMap& in, const QString& key);

// The drive information report: whole-disk lines from the first document and,
// when there is a second one, the partition's lines.
QStringList infoReportLines(const QString& output, const QString& bsdName);

}  // namespace tessaro
