// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/VerbRun.h"

#include <QFileInfo>
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

QString programName(const QStringList& command) { return QFileInfo(command.value(0)).fileName(); }

}  // namespace

bool printLine(const QString& line) {
  return StandardOutput::write(contract::FrameWriter::textFrames(line.toUtf8().toStdString()));
}

bool printEvent(const contract::HelperEvent& event) {
  return StandardOutput::write(contract::FrameWriter::eventFrame(event.json()));
}

QString outputLostLine() {
  return QStringLiteral("Output lost: standard output could not be written (") +
         QString::fromLocal8Bit(std::strerror(StandardOutput::lostError())) + QLatin1Char(')');
}

int sayFailure(int status, const QString& line, const QString& tool) {
  printEvent(contract::HelperEvent(contract::FailureEvent{HelperContract::failureKind(status),
                                                          runWrites, tool.toStdString(), status,
                                                          line.toStdString()}));
  printLine(line);
  return status;
}

void stop(int status, const QString& line, const QString& tool) {
  throw HelperStop(sayFailure(status, line, tool));
}

int endRun(int status) {
  if (status != HelperContract::success || StandardOutput::lostError() == 0) return status;
  return sayFailure(HelperContract::outputLost,
                    outputLostLine() + QStringLiteral(": the run ended as asked, but its caller "
                                                      "may not have been told."));
}

void VerbRun::setCancelLines(QString beforeWriting, QString afterWriting) {
  cancelBefore_ = std::move(beforeWriting);
  cancelAfter_ = std::move(afterWriting);
}

QString VerbRun::writtenNote() const {
  return writing_ && !writtenNote_.isEmpty() ? writtenNote_ : QStringLiteral("nothing was written.");
}

void VerbRun::markWriting(bool finishWhenCallerGone) {
  if (!writing_ && !printEvent(contract::HelperEvent(contract::WritingEvent{}))) {
    // A caller that was not told that the drive changes must not see it change.
    stop(HelperContract::outputLost, outputLostLine() + QStringLiteral("; ") + writtenNote());
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
    stop(change->status, change->line.chopped(1) + QStringLiteral("; ") + writtenNote());
  }
  stop(change->status,
       change->line + (writing_ ? QStringLiteral(" Nothing more was written; the drive it "
                                                 "was working on is incomplete.")
                                : QStringLiteral(" Nothing was written.")));
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
    stop(HelperContract::outputLost, outputLostLine() + QStringLiteral("; ") + writtenNote());
  checkIdentity();
}

int VerbRun::run(const ToolStep& step) {
  checkpoint();
  QStringList command;
  for (const std::string& word : step.command) command << QString::fromStdString(word);
  const QByteArray input = QByteArray::fromStdString(step.input);
  const QString program = programName(command);
  contract::StepEvent told;
  told.command = step.command;
  printEvent(contract::HelperEvent(told));
  printLine(QStringLiteral("$ ") + QString::fromStdString(displayCommand(step.command)));
  for (const QByteArray& line : input.split('\n')) {
    if (!line.isEmpty()) printLine(QStringLiteral("> ") + QString::fromUtf8(line));
  }
  // The last moment before the tool writes: the disk is still the one that
  // was checked, and a loop device still serves what it served.
  checkIdentity();
  ChildProcess tool(command, ChildProcess::Output::terminal);
  if (!input.isEmpty()) tool.setInputText(input);
  if (!tool.start()) {
    stop(HelperContract::toolFailed,
         QStringLiteral("Failed: ") + program + QStringLiteral(" could not be started (") +
             tool.errorString() + QStringLiteral("); ") + writtenNote(),
         program);
  }
  contract::FrameWriter frames;
  const auto passOn = [&frames](const QByteArray& bytes) {
    StandardOutput::write(frames.pass(std::string_view(bytes.constData(), size_t(bytes.size()))));
  };
  const int status = tool.run(passOn, watch_.fd(), [this] {
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
  });
  // A last line without a line feed is ended when the tool ends, so that
  // the helper's next frame starts a line of its own.
  StandardOutput::write(frames.finish());
  if (!tool.runError().isEmpty()) {
    stop(HelperContract::toolFailed,
         QStringLiteral("Failed: ") + program + QLatin1Char(' ') + tool.runError() +
             QStringLiteral("; ") + writtenNote(),
         program);
  }
  if (tool.wasStopped()) stopCancelled();
  return status;
}

ToolOutput VerbRun::capture(const QStringList& command, ChildProcess::Output mode) {
  checkpoint();
  ToolOutput output;
  ChildProcess tool(command, mode);
  if (!tool.start()) {
    output.error = QStringLiteral("could not be started (") + tool.errorString() + QLatin1Char(')');
    return output;
  }
  output.started = true;
  output.status =
      tool.run([&output](const QByteArray& bytes) { output.standardOutput += bytes; }, watch_.fd(),
               [this] {
                 const CancelWatch::State state = watch_.readAvailable();
                 if (state == CancelWatch::State::quiet) return ChildProcess::Watch::carryOn;
                 if (state == CancelWatch::State::callerGone && finishesWithoutCaller()) {
                   return ChildProcess::Watch::carryOn;
                 }
                 return ChildProcess::Watch::endChild;
               });
  output.error = tool.runError();
  if (output.error.isEmpty() && tool.wasStopped()) stopCancelled();
  return output;
}

}  // namespace tessaro::helper
