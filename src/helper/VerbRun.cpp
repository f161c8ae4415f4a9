// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/VerbRun.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "contract/FrameWriter.h"
#include "contract/HelperContract.h"
#include "drives/ShellQuote.h"
#include "helper/HelperStop.h"
#include "helper/StandardOutput.h"

namespace tessaro::helper {

namespace {

// Whether the run has begun writing, told in its failure event. One verb
// runs per process, and stopping need not reach its VerbRun.
bool runWrites = false;

// The program's own name: what follows the last slash of its path.
std::string programName(const std::vector<std::string>& command) {
  if (command.empty()) return {};
  const std::string& path = command.front();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool printLine(std::string_view line) {
  return StandardOutput::write(contract::FrameWriter::textFrames(std::string(line)));
}

bool printEvent(const contract::HelperEvent& event) {
  return StandardOutput::write(contract::FrameWriter::eventFrame(event.json()));
}

std::string outputLostLine() {
  return std::string("Output lost: standard output could not be written (") +
         std::strerror(StandardOutput::lostError()) + ')';
}

int sayFailure(int status, const std::string& line, const std::string& tool) {
  printEvent(contract::HelperEvent(
      contract::FailureEvent{HelperContract::failureKind(status), runWrites, tool, status, line}));
  printLine(line);
  return status;
}

void stop(int status, const std::string& line, const std::string& tool) {
  throw HelperStop(sayFailure(status, line, tool));
}

int endRun(int status) {
  if (status != HelperContract::success || StandardOutput::lostError() == 0) return status;
  return sayFailure(HelperContract::outputLost,
                    outputLostLine() +
                        ": the run ended as asked, but its caller may not have been told.");
}

void VerbRun::setCancelLines(std::string beforeWriting, std::string afterWriting) {
  cancelBefore_ = std::move(beforeWriting);
  cancelAfter_ = std::move(afterWriting);
}

std::string VerbRun::writtenNote() const {
  return writing_ && !writtenNote_.empty() ? writtenNote_ : "nothing was written.";
}

void VerbRun::markWriting(bool finishWhenCallerGone) {
  if (!writing_ && !printEvent(contract::HelperEvent(contract::WritingEvent{}))) {
    // A caller that was not told that the drive changes must not see it change.
    stop(HelperContract::outputLost, outputLostLine() + "; " + writtenNote());
  }
  writing_ = runWrites = true;
  finishWhenCallerGone_ = finishWhenCallerGone;
}

void VerbRun::planSteps(int count) {
  plannedSteps_ = std::max(count, 1);
  stepsDone_ = 0;
  printEvent(contract::HelperEvent(contract::ProgressEvent{0, 0, std::nullopt}));
}

void VerbRun::stepDone() {
  if (plannedSteps_ == 0 || stepsDone_ >= plannedSteps_) return;
  ++stepsDone_;
  printEvent(contract::HelperEvent(
      contract::ProgressEvent{double(stepsDone_) / plannedSteps_, 0, std::nullopt}));
}

void VerbRun::allStepsDone() {
  if (plannedSteps_ == 0 || stepsDone_ >= plannedSteps_) return;
  stepsDone_ = plannedSteps_ - 1;
  stepDone();
}

void VerbRun::stopCancelled() {
  stop(HelperContract::cancelled, writing_ ? cancelAfter_ : cancelBefore_);
}

void VerbRun::checkIdentity() {
  if (!lock_) return;
  const std::optional<StopReason> change = lock_->changed();
  if (!change) return;
  if (change->status == HelperContract::toolFailed) {
    // Its line ends in a full stop, where the note follows instead.
    std::string line = change->line;
    if (!line.empty()) line.pop_back();
    stop(change->status, line + "; " + writtenNote());
  }
  stop(change->status, change->line + (writing_ ? " Nothing more was written; the drive it was "
                                                  "working on is incomplete."
                                                : " Nothing was written."));
}

void VerbRun::checkpoint() {
  const CancelWatch::State state = watch_.readAvailable();
  if (state == CancelWatch::State::cancelRequested ||
      (state == CancelWatch::State::callerGone && !finishesWithoutCaller())) {
    stopCancelled();
  }
  // What the run tells no longer reaches its caller: as when the caller has
  // gone, but said as what it is.
  if (StandardOutput::lostError() != 0 && !finishesWithoutCaller())
    stop(HelperContract::outputLost, outputLostLine() + "; " + writtenNote());
  checkIdentity();
}

int VerbRun::run(const ToolStep& step) {
  checkpoint();
  const std::vector<std::string>& command = step.command;
  const std::string& input = step.input;
  const std::string program = programName(command);
  printEvent(contract::HelperEvent(contract::StepEvent{command}));
  printLine("$ " + displayCommand(command));
  for (std::size_t start = 0; start < input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    if (end > start) printLine("> " + input.substr(start, end - start));
    start = end + 1;
  }
  // The last moment before the tool writes: the disk is still the one that
  // was checked, and a loop device still serves what it served.
  checkIdentity();
  ChildProcess tool(command, ChildProcess::Output::terminal);
  if (!input.empty()) tool.setInputText(input);
  if (!tool.start()) {
    stop(HelperContract::toolFailed,
         "Failed: " + program + " could not be started (" + tool.errorString() + "); " +
             writtenNote(),
         program);
  }
  contract::FrameWriter frames;
  const auto passOn = [&frames](std::string_view bytes) {
    StandardOutput::write(frames.pass(bytes));
  };
  const int status = tool.run(passOn, watch_.fd(), [this] { return onWatch(); });
  // A last line without a line feed is ended when the tool ends, so that
  // the helper's next frame starts a line of its own.
  StandardOutput::write(frames.finish());
  if (!tool.runError().empty()) {
    stop(HelperContract::toolFailed,
         "Failed: " + program + ' ' + tool.runError() + "; " + writtenNote(), program);
  }
  if (tool.wasStopped()) stopCancelled();
  return status;
}

ToolOutput VerbRun::capture(const std::vector<std::string>& command, ChildProcess::Output mode) {
  checkpoint();
  ToolOutput output;
  ChildProcess tool(command, mode);
  if (!tool.start()) {
    output.error = "could not be started (" + tool.errorString() + ')';
    return output;
  }
  output.started = true;
  output.status = tool.run([&output](std::string_view bytes) { output.standardOutput += bytes; },
                           watch_.fd(), [this] { return onWatch(); });
  output.error = tool.runError();
  if (output.error.empty() && tool.wasStopped()) stopCancelled();
  return output;
}

ChildProcess::Watch VerbRun::onWatch() {
  switch (watch_.readAvailable()) {
    case CancelWatch::State::quiet:
      return ChildProcess::Watch::carryOn;
    case CancelWatch::State::callerGone:
      // Still watched: SIGTERM stops even a format that finishes without its caller.
      if (finishesWithoutCaller()) return ChildProcess::Watch::carryOn;
      [[fallthrough]];
    case CancelWatch::State::cancelRequested:
      break;
  }
  return ChildProcess::Watch::endChild;
}

}  // namespace tessaro::helper
