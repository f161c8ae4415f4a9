#include "drives/LinuxDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
QStringList LinuxDiskTools::partitionListCommand(const QString&) const { return {}; }
QString LinuxDiskTools::parseFirstPartition(const QString&, const QString&) const {
  throw Error(ErrorDomain::diskManager, 2, QStringLiteral("No partition identifier found"));
}
PrivilegedCommand LinuxDiskTools::checkCommand(const QString&) const { return {}; }
PrivilegedCommand LinuxDiskTools::infoReportCommand(const QString&,
                                                    const std::optional<QString>&) const {
  return {};
}

}  // namespace tessaro
