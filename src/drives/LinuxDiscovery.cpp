#include "drives/LinuxDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
QStringList LinuxDiskTools::listCommand() const { return {}; }
QStringList LinuxDiskTools::parseDiskList(const QString&) const { return {}; }
bool LinuxDiskTools::isSkipped(const QString&) const { return false; }
QStringList LinuxDiskTools::infoCommand(const QString&) const { return {}; }
std::optional<Drive> LinuxDiskTools::parseDriveInfo(const QString&, const QString&) const {
  return std::nullopt;
}

}  // namespace tessaro

namespace tessaro {
LinuxDiskTools::LinuxDiskTools(QString lsblkPath, QString sysfsRoot, QString helperPath)
    : lsblkPath_(std::move(lsblkPath)),
      sysfsRoot_(std::move(sysfsRoot)),
      helperPath_(std::move(helperPath)) {}
QString LinuxDiskTools::helperPath() const { return helperPath_; }
}  // namespace tessaro
