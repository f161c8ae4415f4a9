// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>

#include "drives/DiskTools.h"
#include "drives/Drive.h"

namespace tessaro {

// The one question before a batch erases its drives, in the words of the
// single drive's (EraseQuestion): every drive by name, model and size, what
// it will hold afterwards, and then the number of drives to type, which
// confirms them all. A number, not the names: typing 30 names is no
// safeguard, and the count says that the list was read to its end.
class BatchConfirmation {
 public:
  static QString formatPrompt(const QList<FormatRequest>& requests);
  static QString probePrompt(const QList<Drive>& drives);
  // The typed line confirms when it is the number of drives, blanks around it aside.
  static bool confirms(const QString& typedLine, qsizetype count);
};

}  // namespace tessaro
