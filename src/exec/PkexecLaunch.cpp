// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#ifndef __APPLE__

#include "exec/PkexecLaunch.h"

#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "contract/HelperContract.h"
#include "exec/ChildProcess.h"

namespace tessaro {

bool runsAsRoot() { return geteuid() == 0; }

LaunchOutcome launchAndRead(const LaunchRequest& request) {
  LaunchOutcome outcome;
  // Run directly as root, the helper gets a process group of its own, so
  // that a Ctrl+C typed at a terminal reaches only the program that started
  // it, which cancels through standard input as the window does. pkexec stays
  // in the terminal's group: it may have to ask for a password there.
  std::vector<std::string> command;
  for (const QString& word : request.command) command.push_back(word.toStdString());
  ChildProcess child(command, ChildProcess::Output::separate,
                     request.elevated ? ChildProcess::Group::caller : ChildProcess::Group::own);
  child.setHeldInput();
  if (!child.start()) return outcome;

  contract::FrameReader reader(request.maxLineBytes);
  const auto deliver = [&](const std::vector<contract::FrameReader::Frame>& frames) {
    if (!frames.empty() && request.onFrames) request.onFrames(frames);
  };
  // The helper finishes its cancel in its own time; before it has begun,
  // pkexec (maybe with its password dialog open) is ended.
  const auto askToStop = [&] {
    const std::vector<std::string> lines =
        request.requests ? request.requests->take()
                         : std::vector<std::string>{HelperContract::cancelRequest};
    for (const std::string& line : lines) {
      child.writeInput(line + '\n');
      if (line != HelperContract::cancelRequest) continue;
      outcome.cancelled = true;
      if (request.elevated && !reader.markerSeen()) child.signal(SIGTERM);
      return ChildProcess::Watch::stopWatching;
    }
    return ChildProcess::Watch::carryOn;
  };
  const int watched = request.requests ? request.requests->fd()
                      : request.cancel ? request.cancel->fd()
                                       : -1;
  outcome.exitStatus = child.run(
      [&](std::string_view bytes) {
        const bool seenBefore = reader.markerSeen();
        const auto frames = reader.feed(bytes);
        if (!seenBefore && reader.markerSeen() && request.onStarted) request.onStarted();
        deliver(frames);
      },
      watched, askToStop);
  deliver(reader.finish());
  outcome.markerSeen = reader.markerSeen();
  outcome.errorOutput = QByteArray::fromStdString(child.errorOutput());
  return outcome;
}

}  // namespace tessaro

#endif
