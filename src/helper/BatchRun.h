// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::helper {

// The batch verb (HelperContract.h): one run of a verb per disk, each in a
// process of its own forked from the helper, so that each keeps every
// guarantee of a run of its own (its disk proven, locked and held by it, its
// failure its own), while one authorization covers them all. The helper's
// process stays with them: it passes the caller's cancel request on to each,
// and passes their frames on to the caller a whole line at a time, each
// event told the disk it concerns.
class BatchRun {
 public:
  // Runs one verb's run (VERB DISK ARG...) as the helper's main() would once
  // it has printed the start marker, and returns its exit status.
  using VerbRunner = std::function<int(const std::vector<std::string>& args)>;

  // args: what follows "batch" on the command line. Returns the batch's
  // exit status; says why (sayFailure) when it runs nothing.
  static int run(const std::vector<std::string>& args, const VerbRunner& runVerb);

 private:
  struct Disk {
    std::string name;
    pid_t pid = -1;
    int output = -1;  // the run's standard output, read here; -1 once it ended
    int input = -1;   // the run's standard input, written here; -1 once closed
    std::string pending;  // what came of a line not yet whole
    bool written = false;  // whether the run told its writing event
    int status = -1;
  };

  explicit BatchRun(std::vector<Disk> disks) : disks_(std::move(disks)) {}
  void start(std::vector<std::string> verbArgs, const VerbRunner& runVerb);
  int watch();
  void finish(Disk& disk);
  void tellEnd(Disk& disk, const std::string& line);
  void passLines(Disk& disk);
  void passLine(Disk& disk, std::string_view line);
  void write(std::string_view bytes);
  bool readRequests();
  void tellEveryRun(bool cancel);
  void tell(Disk& disk, bool cancel);

  std::vector<Disk> disks_;
  const Disk* linesOf_ = nullptr;  // whose text frames came last
  bool outputLost_ = false;
  std::string requests_;  // what came of the caller's request line so far
};

}  // namespace tessaro::helper
