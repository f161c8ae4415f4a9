// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/DesktopCommandLine.h"

#include <cstdio>

#include "i18n/Translations.h"

namespace tessaro {

std::optional<int> DesktopCommandLine::answer(int argc, char** argv) {
  enum class Asked { nothing, help, version } asked = Asked::nothing;
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h" || arg == "-?") {
      asked = Asked::help;
      break;
    }
    if (arg == "--version" || arg == "-v") asked = Asked::version;
  }
  if (asked == Asked::nothing) return std::nullopt;
  // Only the translations: no display is opened.
  QCoreApplication app(argc, argv);
  Translations::install(app);
  const QString text = asked == Asked::help ? helpText() : versionText();
  std::fputs(text.toLocal8Bit().constData(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

QString DesktopCommandLine::helpText() {
  return tr(
      "Usage: tessaro [OPTION]\n"
      "Formats external and removable drives as FAT32, in a window.\n"
      "\n"
      "  -h, --help     show this help and exit\n"
      "  -v, --version  show the version and exit\n"
      "\n"
      "Qt's own options (-platform, -style, ...) are accepted as well.\n"
      "For the command line without a window, see: tessaro-cli --help\n");
}

QString DesktopCommandLine::versionText() {
  return QStringLiteral("tessaro " TESSARO_VERSION "\n");
}

}  // namespace tessaro
