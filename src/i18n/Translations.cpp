// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "i18n/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

// Resources of a static library are registered by hand; the macro has to be
// used outside any namespace.
static void registerTranslationResources() { Q_INIT_RESOURCE(tessaro_i18n_translations); }

namespace tessaro {

namespace {

bool installFrom(QCoreApplication& app, const QLocale& locale, const QString& name,
                 const QString& directory) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, name, QStringLiteral("_"), directory)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace

bool Translations::install(QCoreApplication& app, const QLocale& locale) {
  registerTranslationResources();
  // Qt's own texts first: a later translator is asked first, so Tessaro's
  // words win where both translate the same text.
  installFrom(app, locale, QStringLiteral("qtbase"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return installFrom(app, locale, QStringLiteral("tessaro"), QStringLiteral(":/i18n"));
}

}  // namespace tessaro
