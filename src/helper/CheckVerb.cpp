#include "drives/CheckLine.h"
#include "helper/HelperSupport.h"
#include "helper/HelperVerbs.h"

namespace tessaro::helper {

// check <device>: unmount it where mounted, then check and repair its FAT file
// system. Exits with the status of the check line (see linuxCheckLine). The
// application shows the line itself, composed by the same function.
int checkVerb(const QStringList& args) {
  if (args.size() != 1) {
    printLine(QStringLiteral("Usage: tessaro-helper check <device>"));
    return kUsage;
  }
  if (auto refusal = refuseUnsafeDevice(args[0])) {
    printLine(*refusal);
    return kRefusedDevice;
  }
  return runShellLine(linuxCheckLine(args[0]), false);
}

}  // namespace tessaro::helper
