#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>

#include "exec/StartMarkerFilter.h"

namespace tessaro {

struct LaunchOutcome {
  int exitStatus = 127;  // 128 + n when killed by signal n; 127 when it could not start
  bool markerSeen = false;
};

// Whether this process already has root's rights (effective user id 0).
bool runsAsRoot();

// Starts command[0] with the rest as its arguments (no shell), its standard
// input on /dev/null and its standard output on a pipe; hands every read of at
// most 4096 bytes to onRead until the output ends, then waits for the exit.
// Blocks the calling thread throughout.
LaunchOutcome launchAndRead(const QStringList& command,
                            const std::function<void(const QByteArray&)>& onRead);

}  // namespace tessaro
