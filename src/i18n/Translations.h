// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QLocale>

class QCoreApplication;

namespace tessaro {

// Tessaro's own texts and Qt's (standard dialog buttons) in the user's
// language, where a translation exists; English otherwise.
class Translations {
 public:
  // Installs the translators for locale (by default the one the environment
  // names: LANGUAGE, LC_ALL, LC_MESSAGES, LANG) on app, which owns them.
  // Returns whether Tessaro's own translation was found.
  static bool install(QCoreApplication& app, const QLocale& locale = QLocale());
};

}  // namespace tessaro
