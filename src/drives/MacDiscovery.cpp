#include "drives/MacDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
QStringList MacDiskTools::listCommand() const { return {}; }
QStringList MacDiskTools::parseDiskList(const QString&) const { return {}; }
bool MacDiskTools::isSkipped(const QString&) const { return false; }
QStringList MacDiskTools::infoCommand(const QString&) const { return {}; }
std::optional<Drive> MacDiskTools::parseDriveInfo(const QString&, const QString&) const {
  return std::nullopt;
}

}  // namespace tessaro

namespace tessaro {
MacDiskTools::MacDiskTools(QString diskutilPath) : diskutilPath_(std::move(diskutilPath)) {}
}  // namespace tessaro
