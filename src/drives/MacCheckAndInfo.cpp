#include "drives/MacDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
QStringList MacDiskTools::partitionListCommand(const QString&) const { return {}; }
QString MacDiskTools::parseFirstPartition(const QString&, const QString&) const {
  throw Error(ErrorDomain::diskManager, 2, QStringLiteral("No partition identifier found"));
}
PrivilegedCommand MacDiskTools::checkCommand(const QString&) const { return {}; }
PrivilegedCommand MacDiskTools::infoReportCommand(const QString&,
                                                  const std::optional<QString>&) const {
  return {};
}

}  // namespace tessaro
