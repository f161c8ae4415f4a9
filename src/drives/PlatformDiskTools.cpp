#include "drives/DiskTools.h"

namespace tessaro {

std::unique_ptr<DiskTools> DiskTools::platformDefault() { return nullptr; }

}  // namespace tessaro
