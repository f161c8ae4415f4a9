// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/DesktopCommandLine.h"

#include <cstdio>

#include "i18n/Translations.h"

namespace tessaro {

namespace {

// The options Qt's application objects read and take away themselves, as
// Qt 6 documents them (QGuiApplication, QApplication and the xcb platform);
// each with whether the next argument is its value. Qt takes them with one
// dash or two, and a value also after "=".
struct QtOption {
  const char* name;
  bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"reverse", false},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"widgetcount", false},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"dialogs", true},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"visual", true},
    {"ncols", true},
    {"cmap", false},
    {"testability", false},
};

// Qt's option the argument names, if any, and whether its value is the next argument.
const QtOption* qtOption(QByteArray arg, bool* valueFollows) {
  if (arg.startsWith("--")) arg.remove(0, 1);
  if (!arg.startsWith('-')) return nullptr;
  arg.remove(0, 1);
  const qsizetype equals = arg.indexOf('=');
  const QByteArray name = equals >= 0 ? arg.left(equals) : arg;
  for (const QtOption& option : kQtOptions) {
    if (name != option.name) continue;
    if (equals >= 0 && !option.takesValue) return nullptr;
    *valueFollows = option.takesValue && equals < 0;
    return &option;
  }
  return nullptr;
}

// Says what is wrong with the command line and how to learn what is right.
int usageError(int argc, char** argv, const QString& problem) {
  QCoreApplication app(argc, argv);
  Translations::install(app);
  const QString text = QStringLiteral("tessaro: ") + problem + QLatin1Char('\n') +
                       DesktopCommandLine::tr("Run tessaro --help for the options.") +
                       QLatin1Char('\n');
  std::fputs(text.toLocal8Bit().constData(), stderr);
  return DesktopCommandLine::usageStatus;
}

}  // namespace

std::optional<int> DesktopCommandLine::answer(int argc, char** argv) {
  enum class Asked { nothing, help, version } asked = Asked::nothing;
  std::optional<QString> problem;
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "--help" || arg == "-h" || arg == "-?") {
      asked = Asked::help;
      break;
    }
    if (arg == "--version" || arg == "-v") {
      asked = Asked::version;
      continue;
    }
    bool valueFollows = false;
    if (qtOption(arg, &valueFollows)) {
      if (valueFollows && ++i >= argc && !problem)
        problem = tr("%1 needs a value").arg(QString::fromLocal8Bit(arg));
      continue;
    }
    if (problem) continue;
    problem = arg.startsWith('-') ? tr("unknown option '%1'").arg(QString::fromLocal8Bit(arg))
                                  : tr("unexpected argument '%1'").arg(QString::fromLocal8Bit(arg));
  }
  // Asking for help is never an error, whatever else the line holds.
  if (asked == Asked::nothing && problem) return usageError(argc, argv, *problem);
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
