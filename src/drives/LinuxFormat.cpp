#include "drives/LinuxDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
std::optional<QString> LinuxDiskTools::validateFormat(const FormatRequest&) const {
  return QStringLiteral("not implemented");
}
PrivilegedCommand LinuxDiskTools::formatCommand(const FormatRequest&) const { return {}; }

}  // namespace tessaro
