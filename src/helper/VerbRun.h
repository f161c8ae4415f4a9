// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contract/HelperEvent.h"
#include "exec/ChildProcess.h"
#include "helper/CancelWatch.h"
#include "helper/DiskLock.h"
#include "helper/LinuxFormatSteps.h"

namespace tessaro::helper {

// What a read-only tool printed on standard output, and its exit status;
// error says why it did not start or how it ended cannot be told.
struct ToolOutput {
  bool started = false;
  int status = 127;
  std::string standardOutput;
  std::string error;
};

// Runs the tools of one verb: before each, the caller's cancel request and the
// locked disk's identity are checked (the identity again just before the tool
// starts); a tool that works on the drive is shown as "$ " and its command,
// and what it prints is passed on as it arrives, in text frames. Every way
// of stopping early prints its failure event and line and throws HelperStop.
class VerbRun {
 public:
  explicit VerbRun(CancelWatch& watch) : watch_(watch) {}

  // Readable when the caller may have cancelled or gone (CancelWatch::fd),
  // for a wait of the verb's own that checkpoint() then ends; -1 when
  // nothing is watched.
  int cancelFd() const { return watch_.fd(); }

  // The disk whose identity is checked before every step (none: not checked).
  void setLock(const DiskLock* lock) { lock_ = lock; }

  // The "Cancelled:" line before anything was written, and after.
  void setCancelLines(std::string beforeWriting, std::string afterWriting);
  // What a failure line says about the drive once the run has begun writing
  // ("/dev/sdb may be left incomplete: format it again"); before, it says
  // "nothing was written".
  void setWrittenNote(std::string afterWriting) { writtenNote_ = std::move(afterWriting); }
  std::string writtenNote() const;
  bool writing() const { return writing_; }
  // From now on the run writes to the drive: the caller is told so (a
  // writing event; a caller that cannot be told stops the run here), a
  // caller that goes away, or whose output is lost, no longer stops it (when
  // finishWhenCallerGone), a cancel says the drive is incomplete.
  void markWriting(bool finishWhenCallerGone);

  // From here on the run tells progress by steps: a progress event now, and
  // one each time stepDone() says one of the count steps that follow ended
  // well; allStepsDone ends at 1.
  void planSteps(int count);
  void stepDone();
  void allStepsDone();

  // Stops here when the caller cancelled or went away, what the run tells can
  // no longer be written, or the disk changed (or its identity cannot be read).
  void checkpoint();

  // Tells the step (its step event and "$ " line) and runs it; its exit
  // status. Stops when the tool cannot be started, or how it ended cannot be
  // told (it could not be waited for).
  int run(const ToolStep& step);
  // Runs a tool that only reads; its output is not shown. With
  // ChildProcess::Output::terminal its standard error is in the output too.
  ToolOutput capture(const std::vector<std::string>& command,
                     ChildProcess::Output output = ChildProcess::Output::pipe);

 private:
  [[noreturn]] void stopCancelled();
  // What a tool's run does when the cancel watch wakes it: carries on, or
  // ends the tool on a cancel (or a caller gone, unless the run finishes
  // without it).
  ChildProcess::Watch onWatch();
  // Stops when the locked disk changed, or its identity cannot be read.
  void checkIdentity();
  bool finishesWithoutCaller() const { return writing_ && finishWhenCallerGone_; }

  CancelWatch& watch_;
  const DiskLock* lock_ = nullptr;
  std::string cancelBefore_;
  std::string cancelAfter_;
  std::string writtenNote_;
  bool writing_ = false;
  bool finishWhenCallerGone_ = false;
  int plannedSteps_ = 0;
  int stepsDone_ = 0;
};

// Writes the helper's own text for people to standard output, in text
// frames, before anything a tool prints after it; false when it could not.
bool printLine(std::string_view line);
// Writes an event for the caller, as an event frame; false when it could not.
bool printEvent(const contract::HelperEvent& event);

// Tells the caller that the run fails with status: its failure event (naming
// tool, the program that failed, where one did), then line, which says why,
// for people; returns status.
int sayFailure(int status, const std::string& line, const std::string& tool = {});
// Says so (sayFailure) and ends the verb with status (HelperStop).
[[noreturn]] void stop(int status, const std::string& line, const std::string& tool = {});

// How the run ends: status, unless what it told may not have reached the
// caller (a write to standard output failed), when a run that would have
// succeeded says so and ends with outputLost.
int endRun(int status);

// "Output lost: standard output could not be written (No space left on device)".
std::string outputLostLine();

}  // namespace tessaro::helper
