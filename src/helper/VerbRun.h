// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "exec/ChildProcess.h"
#include "exec/HelperEvent.h"
#include "helper/CancelWatch.h"
#include "helper/DiskLock.h"
#include "helper/LinuxFormatSteps.h"

namespace tessaro::helper {

// What a read-only tool printed on standard output, and its exit status.
struct ToolOutput {
  bool started = false;
  int status = 127;
  QByteArray standardOutput;
};

// Runs the tools of one verb: before each, the caller's cancel request and the
// locked disk's identity are checked; a tool that works on the drive is shown
// as "$ " and its command, and what it prints is passed on as it arrives.
// Every way of stopping early prints its failure event and line and throws
// HelperStop.
class VerbRun {
 public:
  explicit VerbRun(CancelWatch& watch) : watch_(watch) {}

  // The disk whose identity is checked before every step (none: not checked).
  void setLock(const DiskLock* lock) { lock_ = lock; }

  // The "Cancelled:" line before anything was written, and after.
  void setCancelLines(QString beforeWriting, QString afterWriting);
  // What a failure line says about the drive once the run has begun writing
  // ("/dev/sdb may be left incomplete: format it again"); before, it says
  // "nothing was written".
  void setWrittenNote(QString afterWriting) { writtenNote_ = std::move(afterWriting); }
  QString writtenNote() const;
  bool writing() const { return writing_; }
  // From now on the run writes to the drive: the caller is told so (a
  // writing event), a caller that goes away no longer stops it (when
  // finishWhenCallerGone), a cancel says the drive is incomplete.
  void markWriting(bool finishWhenCallerGone);

  // From here on the run tells progress by steps: a progress event now, and
  // one each time one of the count steps that follow ends (a tool run, or
  // stepDone for work of the helper's own); allStepsDone ends at 1.
  void planSteps(int count);
  void stepDone();
  void allStepsDone();

  // Stops here when the caller cancelled or went away, or the disk changed.
  void checkpoint();

  // Tells the step (its step event and "$ " line) and runs it; its exit status.
  int run(const ToolStep& step);
  // Runs a tool that only reads; its output is not shown. With
  // ChildProcess::Output::terminal its standard error is in the output too.
  ToolOutput capture(const QStringList& command,
                     ChildProcess::Output output = ChildProcess::Output::pipe);

 private:
  [[noreturn]] void stopCancelled();
  bool finishesWithoutCaller() const { return writing_ && finishWhenCallerGone_; }

  CancelWatch& watch_;
  const DiskLock* lock_ = nullptr;
  QString cancelBefore_;
  QString cancelAfter_;
  QString writtenNote_;
  bool writing_ = false;
  bool finishWhenCallerGone_ = false;
  int plannedSteps_ = 0;
  int stepsDone_ = 0;
};

// Writes one line to standard output and flushes it, so that it reaches the
// caller before anything a tool prints after it.
void printLine(const QString& line);
// Writes an event for the caller, as a line of its own.
void printEvent(const HelperEvent& event);

// Tells the caller that the run fails with status: its failure event, then
// line, which says why, for people; returns status.
int sayFailure(int status, const QString& line);
// Says so (sayFailure) and ends the verb with status (HelperStop).
[[noreturn]] void stop(int status, const QString& line);

}  // namespace tessaro::helper
