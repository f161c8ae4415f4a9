#include <unistd.h>

#include "drives/ToolAvailability.h"
#include "ui/ContentView.h"

namespace tessaro {

// Said at start-up, before any workflow can fail on a missing tool. Optional
// tools are not announced here: the workflow that does without one says so.
void ContentView::announceMissingTools() {
#ifndef __APPLE__
  for (const MissingTools& missing : findMissingTools(isToolInstalled, geteuid() == 0))
    if (missing.required) appendLog(missing.message());
#endif
}

}  // namespace tessaro
