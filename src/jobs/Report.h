// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>

#include "contract/FormatVerdict.h"
#include "drives/ProbeProgress.h"

namespace tessaro {

// Where a job tells what it does: the window's status log, a terminal, a test.
// A job calls started() first and finished() last, on every path, and in
// between any number of lines() and at most one of succeeded(), failed() or
// cancelled().
// Every text arrives complete, as the user is to read it.
class Report {
 public:
  virtual ~Report() = default;

  // The job has begun and is busy from now on. A non-empty title heads a new
  // account ("Starting format of /dev/sdb as FAT32."); an empty one adds to
  // what is shown.
  virtual void started(const QString& title) = 0;
  // Progress and tool output, in order, one entry per line (an entry may be
  // empty). Called on the thread that reads a tool's output as well as on
  // the job's own, so an implementation has to accept both; calls never
  // overlap and keep their order.
  virtual void lines(const QStringList& lines) = 0;
  // Lines of Tessaro's own among them (what it is about to run, a report it
  // composed, what a check found), which may carry its symbols where a tool's
  // lines are shown exactly as the tool printed them; called like lines().
  // Where the two are shown alike, they are simply more lines.
  virtual void ownLines(const QStringList& lines) { this->lines(lines); }
  // How far a long job has come; called like lines(). Where there is no
  // progress bar, the lines the job reports say what matters.
  virtual void progress(const ProbeProgress& progress) { (void)progress; }
  // How far a job that counts its steps (format, check) has come, 0 to 1;
  // called like lines(). Shown where there is a progress bar, never as a
  // line: the steps' own lines say it there.
  virtual void stepProgress(double fraction) { (void)fraction; }
  // What a format read back from the drive, before its outcome; called on
  // the job's thread. Where it has no place of its own, it is one more of
  // Tessaro's lines ("Verified: ...", in the user's language).
  virtual void verified(const contract::FormatVerdict& found);
  // Something the user should know that did not stop the job: a fallback it
  // took, an optional step it left out, a tool that is missing. Called like
  // lines(); where warnings have no place of their own it is one more line.
  virtual void warning(const QString& line) { lines({line}); }
  // The outcome, one line each: the job did what was asked, or why it did not.
  virtual void succeeded(const QString& line) = 0;
  virtual void failed(const QString& line) = 0;
  // Stopped on request; line says what that left behind, or is empty when
  // the tool's own last line already said it.
  virtual void cancelled(const QString& line) = 0;
  // Not busy any more.
  virtual void finished() = 0;
};

}  // namespace tessaro
