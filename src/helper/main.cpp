#include <QCoreApplication>
#include <cstdio>

#include "helper/HelperVerbs.h"

using namespace tessaro::helper;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("%s\n", kStartedMarker);
  std::fflush(stdout);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) return kUsage;
  const QString verb = args.takeFirst();
  if (verb == QLatin1String("format")) return formatVerb(args);
  if (verb == QLatin1String("check")) return checkVerb(args);
  if (verb == QLatin1String("info")) return infoVerb(args);
  return kUsage;
}
