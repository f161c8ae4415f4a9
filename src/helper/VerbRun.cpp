// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/VerbRun.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "drives/ShellQuote.h"
#include "contract/HelperContract.h"
#include "helper/HelperStop.h"

namespace tessaro::helper {

namespace {

// Whatever a tool printed, as it came; a caller that has gone is no reason to
// stop a format.
void forward(const QByteArray& bytes) {
  std::fflush(stdout);
  qsizetype written = 0;
  while (written < bytes.size()) {
    const ssize_t wrote = write(STDOUT_FILENO, bytes.constData() + written,
                                static_cast<size_t>(bytes.size() - written));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;
    written += wrote;
  }
}

// What a tool prints is passed on as it comes, except that a line of it that
// begins like the helper's own markers ("@@tessaro-", as the start marker
// and every event do) is moved off the start of its line by a space: only the
// helper tells events, and a file or volume name that a tool prints can never
// pass for one. Bytes that may begin such a line are held until it is told.
class ToolLines {
 public:
  QByteArray pass(const QByteArray& bytes) {
    QByteArray out;
    for (const char byte : bytes) {
      if (!atLineStart_) {
        out += byte;
        atLineStart_ = byte == '\n';
        continue;
      }
      held_ += byte;
      if (kMarker.startsWith(held_)) {
        if (held_.size() < kMarker.size()) continue;
        out += ' ';
      }
      out += held_;
      atLineStart_ = byte == '\n';
      held_.clear();
    }
    return out;
  }
  // At the tool's end, what is still held.
  QByteArray finish() { return std::exchange(held_, {}); }

 private:
  static inline const QByteArray kMarker = QByteArrayLiteral("@@tessaro-");
  bool atLineStart_ = true;
  QByteArray held_;
};

// Whether the run has begun writing, told in its failure event. One verb
// runs per process, and stopping need not reach its VerbRun.
bool runWrites = false;

}  // namespace

void printLine(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void printEvent(const HelperEvent& event) { printLine(event.line()); }

int sayFailure(int status, const QString& line) {
  printEvent(HelperEvent::failure(status, runWrites, line));
  printLine(line);
  return status;
}

void stop(int status, const QString& line) { throw HelperStop(sayFailure(status, line)); }

void VerbRun::setCancelLines(QString beforeWriting, QString afterWriting) {
  cancelBefore_ = std::move(beforeWriting);
  cancelAfter_ = std::move(afterWriting);
}

QString VerbRun::writtenNote() const {
  return writing_ && !writtenNote_.isEmpty() ? writtenNote_ : QStringLiteral("nothing was written.");
}

void VerbRun::markWriting(bool finishWhenCallerGone) {
  if (!writing_) printEvent(HelperEvent::writing());
  writing_ = runWrites = true;
  finishWhenCallerGone_ = finishWhenCallerGone;
}

void VerbRun::planSteps(int count) {
  plannedSteps_ = std::max(count, 1);
  stepsDone_ = 0;
  printEvent(HelperEvent::progress(0, 0, std::nullopt));
}

void VerbRun::stepDone() {
  if (plannedSteps_ == 0 || stepsDone_ >= plannedSteps_) return;
  ++stepsDone_;
  printEvent(HelperEvent::progress(double(stepsDone_) / plannedSteps_, 0, std::nullopt));
}

void VerbRun::allStepsDone() {
  if (plannedSteps_ == 0 || stepsDone_ >= plannedSteps_) return;
  stepsDone_ = plannedSteps_ - 1;
  stepDone();
}

void VerbRun::stopCancelled() {
  stop(HelperContract::cancelled, writing_ ? cancelAfter_ : cancelBefore_);
}

void VerbRun::checkpoint() {
  const CancelWatch::State state = watch_.readAvailable();
  if (state == CancelWatch::State::cancelRequested ||
      (state == CancelWatch::State::callerGone && !finishesWithoutCaller())) {
    stopCancelled();
  }
  if (lock_) {
    if (const auto change = lock_->changed()) {
      stop(HelperContract::deviceChanged,
           *change + (writing_ ? QStringLiteral(" Nothing more was written; the drive it "
                                                "was working on is incomplete.")
                               : QStringLiteral(" Nothing was written.")));
    }
  }
}

int VerbRun::run(const ToolStep& step) {
  checkpoint();
  printEvent(HelperEvent::step(step.command));
  printLine(QStringLiteral("$ ") + displayCommand(step.command));
  for (const QByteArray& line : step.input.split('\n')) {
    if (!line.isEmpty()) printLine(QStringLiteral("> ") + QString::fromUtf8(line));
  }
  ChildProcess tool(step.command, ChildProcess::Output::terminal);
  if (!step.input.isEmpty()) tool.setInputText(step.input);
  if (!tool.start()) {
    stop(HelperContract::toolFailed,
         QStringLiteral("Failed: ") + tool.errorString() + QStringLiteral("; ") + writtenNote());
  }
  // A last line without a line feed is ended when the tool ends, so that
  // the helper's next line is never joined to it.
  bool lineOpen = false;
  const auto forwardLines = [&lineOpen](const QByteArray& bytes) {
    forward(bytes);
    if (!bytes.isEmpty()) lineOpen = !bytes.endsWith('\n');
  };
  ToolLines lines;
  const auto passOn = [&](const QByteArray& bytes) { forwardLines(lines.pass(bytes)); };
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
  forwardLines(lines.finish());
  if (lineOpen) forward("\n");
  if (tool.wasStopped()) stopCancelled();
  stepDone();
  return status;
}

ToolOutput VerbRun::capture(const QStringList& command, ChildProcess::Output mode) {
  checkpoint();
  ToolOutput output;
  ChildProcess tool(command, mode);
  if (!tool.start()) return output;
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
  if (tool.wasStopped()) stopCancelled();
  return output;
}

}  // namespace tessaro::helper
