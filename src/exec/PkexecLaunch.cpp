// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#ifndef __APPLE__

#include "exec/PkexecLaunch.h"

#include <signal.h>
#include <unistd.h>

#include "exec/ChildProcess.h"
#include "contract/HelperContract.h"
#include "exec/StartMarkerFilter.h"

namespace tessaro {

bool runsAsRoot() { return geteuid() == 0; }

LaunchOutcome launchAndRead(const LaunchRequest& request) {
  LaunchOutcome outcome;
  // Run directly as root, the helper gets a process group of its own, so
  // that a Ctrl+C typed at a terminal reaches only the program that started
  // it, which cancels through standard input as the window does. pkexec stays
  // in the terminal's group: it may have to ask for a password there.
  ChildProcess child(request.command, ChildProcess::Output::separate,
                     request.elevated ? ChildProcess::Group::caller : ChildProcess::Group::own);
  child.setHeldInput();
  if (!child.start()) return outcome;

  StartMarkerFilter filter(request.markerLine);
  const auto deliver = [&](const QByteArray& bytes) {
    const QByteArray passed = filter.feed(bytes);
    if (!passed.isEmpty() && request.onOutput) request.onOutput(passed);
  };
  // The helper finishes its cancel in its own time; before it has begun,
  // pkexec (maybe with its password dialog open) is ended.
  const auto askToStop = [&] {
    outcome.cancelled = true;
    child.writeInput(QByteArray(HelperContract::cancelRequest) + '\n');
    if (request.elevated && !filter.markerSeen()) child.signal(SIGTERM);
    return ChildProcess::Watch::stopWatching;
  };
  outcome.exitStatus = child.run(deliver, request.cancel ? request.cancel->fd() : -1, askToStop);
  const QByteArray rest = filter.finish();
  if (!rest.isEmpty() && request.onOutput) request.onOutput(rest);
  outcome.markerSeen = filter.markerSeen();
  outcome.errorOutput = child.errorOutput();
  return outcome;
}

}  // namespace tessaro

#endif
