#include "helper/HelperVerbs.h"

namespace tessaro::helper {
int infoVerb(const QStringList&) { return kUsage; }
}  // namespace tessaro::helper
