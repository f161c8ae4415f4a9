// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QStringList>

namespace tessaro {

// Rows of fields as the lines of a table: aligned, each column padded with
// blanks for a person to read (those named right-aligned to the right, as
// numbers are), or separated by one tab each, so that `cut -f` and
// `awk -F'\t'` read them, empty fields included. The fields are taken as
// they are: no field may hold a tab or a line feed.
class TextColumns {
 public:
  static QStringList lines(const QList<QStringList>& rows, bool aligned,
                           const QList<qsizetype>& rightAligned = {});
};

}  // namespace tessaro
