#include "helper/HelperVerbs.h"

namespace tessaro::helper {
int checkVerb(const QStringList&) { return kUsage; }
}  // namespace tessaro::helper
