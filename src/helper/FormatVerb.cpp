#include "helper/HelperVerbs.h"

namespace tessaro::helper {
int formatVerb(const QStringList&) { return kUsage; }
}  // namespace tessaro::helper
