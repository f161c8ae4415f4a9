// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "contract/FrameReader.h"
#include "exec/Cancellation.h"
#include "exec/HelperRequests.h"

namespace tessaro {

struct LaunchRequest {
  QStringList command;
  // command[0] is the program that asks for rights (pkexec). Until the
  // helper's start marker has arrived the helper has not begun, so a cancel
  // may end that program (while its password dialog is open, the helper
  // cannot hear a cancel).
  bool elevated = false;
  // Standard output in frames (FrameReader, the marker taken off), read by read.
  std::function<void(const std::vector<contract::FrameReader::Frame>&)> onFrames;
  // Once, as soon as the marker has arrived: the helper has begun.
  std::function<void()> onStarted;
  // A line longer than this many bytes comes in pieces.
  std::size_t maxLineBytes = 65536;
  std::shared_ptr<Cancellation> cancel;
  // In place of cancel: the lines posted here go to the helper's standard
  // input as they come (a run over several disks, whose each disk may be
  // stopped alone); the cancel line among them is a cancel, as above.
  std::shared_ptr<HelperRequests> requests;
};

struct LaunchOutcome {
  int exitStatus = 127;  // 128 + n when killed by signal n; 127 when it could not start
  bool markerSeen = false;
  bool cancelled = false;
  // Standard error, where only pkexec writes (its reason for refusing); at
  // most the first 64 KiB.
  QByteArray errorOutput;
};

// Whether this process already has root's rights (effective user id 0).
bool runsAsRoot();

// Starts request.command[0], an absolute path, with the rest as its arguments
// (a ChildProcess: no shell), with its standard input on a socket that this
// side keeps open until the run has ended, and reads standard output (in
// frames) and standard error until both have ended and it has exited. A cancel writes the
// helper's cancel line to its standard input, as the requests' lines are
// written. Blocks the calling thread throughout.
LaunchOutcome launchAndRead(const LaunchRequest& request);

}  // namespace tessaro
