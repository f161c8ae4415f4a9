#include "drives/MacDiskTools.h"
#include "exec/Error.h"

namespace tessaro {

// Placeholders until this part lands.
std::optional<QString> MacDiskTools::validateFormat(const FormatRequest&) const {
  return QStringLiteral("not implemented");
}
PrivilegedCommand MacDiskTools::formatCommand(const FormatRequest&) const { return {}; }

}  // namespace tessaro
