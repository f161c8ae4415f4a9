// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/BatchRun.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include "contract/FrameWriter.h"
#include "contract/HelperContract.h"
#include "contract/HelperEvent.h"
#include "helper/CancelWatch.h"
#include "helper/KernelDevice.h"
#include "helper/StandardOutput.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

namespace {

constexpr const char* kUsage =
    "Usage: tessaro-helper batch format|check|probe DISK... -- [ARGUMENT...]";

bool isBatchVerb(const std::string& verb) {
  return verb == HelperContract::formatVerb || verb == HelperContract::checkVerb ||
         verb == HelperContract::probeVerb;
}

// Why the disks cannot be run together: a name given twice, or two names of
// one disk (a disk and its partition, two partitions of it). Names the
// kernel does not know are left to their own runs, which refuse them.
std::optional<std::string> namedTwice(const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> disks;  // name, whole disk
  for (const std::string& name : names) {
    StopReason why;
    const KernelDevice device = KernelDevice::find(name, &why);
    const std::string disk = device.isValid() ? device.diskName() : name;
    for (const auto& [other, otherDisk] : disks) {
      if (other == name) return "Refused: \"" + name + "\" is named twice; nothing was run.";
      if (otherDisk == disk)
        return "Refused: \"" + other + "\" and \"" + name + "\" are on one disk; nothing was run.";
    }
    disks.emplace_back(name, disk);
  }
  return std::nullopt;
}

void closeQuietly(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

int BatchRun::run(const std::vector<std::string>& args, const VerbRunner& runVerb) {
  const auto mark = std::find(args.begin(), args.end(), HelperContract::batchArgumentsMark);
  const std::vector<std::string> names(args.begin() + std::min<std::size_t>(args.size(), 1), mark);
  if (args.empty() || !isBatchVerb(args.front()) || mark == args.end() || names.empty() ||
      int(names.size()) > HelperContract::maxBatchDisks ||
      !std::all_of(names.begin(), names.end(), [](const std::string& name) {
        return KernelDevice::hasKernelNameShape(name);
      }))
    return sayFailure(HelperContract::usage, std::string(kUsage));
  if (const std::optional<std::string> refusal = namedTwice(names))
    return sayFailure(HelperContract::refusedDevice, *refusal);

  std::vector<Disk> disks(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) disks[i].name = names[i];
  BatchRun batch(std::move(disks));
  std::vector<std::string> verbArgs{args.front(), std::string()};
  verbArgs.insert(verbArgs.end(), mark + 1, args.end());
  batch.start(verbArgs, runVerb);
  return batch.watch();
}

void BatchRun::start(std::vector<std::string> verbArgs, const VerbRunner& runVerb) {
  for (Disk& disk : disks_) {
    int output[2] = {-1, -1};
    int input[2] = {-1, -1};
    if (::pipe2(output, O_CLOEXEC) == 0 && ::pipe2(input, O_CLOEXEC) == 0)
      disk.pid = ::fork();
    if (disk.pid == 0) {
      // The disk's own run: its standard input and output are the pipes to
      // the batch, and nothing of the other runs stays open in it.
      ::dup2(input[0], STDIN_FILENO);
      ::dup2(output[1], STDOUT_FILENO);
      for (int fd : {input[0], input[1], output[0], output[1]}) ::close(fd);
      for (Disk& other : disks_) {
        closeQuietly(other.output);
        closeQuietly(other.input);
      }
      CancelWatch::watchTerminationAnew();
      verbArgs[1] = disk.name;
      ::_exit(runVerb(verbArgs));
    }
    for (int fd : {input[0], output[1]})
      if (fd >= 0) ::close(fd);
    if (disk.pid < 0) {
      const int error = errno;
      for (int fd : {input[1], output[0]})
        if (fd >= 0) ::close(fd);
      disk.status = HelperContract::toolFailed;
      tellEnd(disk, "Failed: the run for " + disk.name + " could not be started (" +
                        std::strerror(error) + "); nothing was written.");
      continue;
    }
    disk.output = output[0];
    disk.input = input[1];
  }
}

int BatchRun::watch() {
  bool inputWatched = CancelWatch::carriesRequests(STDIN_FILENO);
  bool terminationHeard = false;
  for (;;) {
    std::vector<pollfd> ready;
    std::vector<Disk*> readyDisks;
    for (Disk& disk : disks_) {
      if (disk.output < 0) continue;
      ready.push_back({disk.output, POLLIN, 0});
      readyDisks.push_back(&disk);
    }
    if (ready.empty()) break;
    const std::size_t input = ready.size();
    ready.push_back({inputWatched ? STDIN_FILENO : -1, POLLIN, 0});
    // SIGTERM stays readable once it came: it is passed on once.
    ready.push_back({terminationHeard ? -1 : CancelWatch::terminationFd(), POLLIN, 0});
    if (::poll(ready.data(), ready.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready[input].revents != 0 && !readRequests()) inputWatched = false;
    if (ready[input + 1].revents != 0) {
      terminationHeard = true;
      inputWatched = false;
      tellEveryRun(true);
    }
    for (std::size_t i = 0; i < readyDisks.size(); ++i) {
      if (ready[i].revents == 0) continue;
      Disk& disk = *readyDisks[i];
      std::array<char, 65536> buffer{};
      const ssize_t got = ::read(disk.output, buffer.data(), buffer.size());
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got > 0) {
        disk.pending.append(buffer.data(), std::size_t(got));
        passLines(disk);
        continue;
      }
      finish(disk);
    }
  }
  const bool allSucceeded = std::all_of(disks_.begin(), disks_.end(), [](const Disk& disk) {
    return disk.status == HelperContract::success;
  });
  return allSucceeded ? HelperContract::success : HelperContract::batchIncomplete;
}

// Reads the caller's requests: a line cancelRequest stops every run, one of
// cancelRequest, a blank and a disk's name stops that disk's run, and
// anything else (or the start of a line that can become neither) stops every
// run, so that nothing can stand before a cancel. The end of input is the
// caller going away, for every run. False once nothing more is to be read.
bool BatchRun::readRequests() {
  std::array<char, 4096> buffer{};
  const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (got <= 0) {
    tellEveryRun(false);
    return false;
  }
  requests_.append(buffer.data(), std::size_t(got));
  const std::string cancel = HelperContract::cancelRequest;
  const std::string oneDisk = cancel + ' ';
  for (std::size_t end = requests_.find('\n'); end != std::string::npos;
       end = requests_.find('\n')) {
    const std::string line = requests_.substr(0, end);
    requests_.erase(0, end + 1);
    const auto named = std::find_if(disks_.begin(), disks_.end(), [&](const Disk& disk) {
      return line == oneDisk + disk.name;
    });
    if (named == disks_.end()) {
      tellEveryRun(true);
      return false;
    }
    tell(*named, true);
  }
  const bool mayBecomeRequest =
      requests_.size() <= cancel.size() ? cancel.compare(0, requests_.size(), requests_) == 0
                                        : requests_.compare(0, oneDisk.size(), oneDisk) == 0 &&
                                              requests_.size() <= oneDisk.size() + 32;
  if (mayBecomeRequest) return true;
  tellEveryRun(true);
  return false;
}
// The run's output has ended: what is left of it, then how the run ended.
void BatchRun::finish(Disk& disk) {
  if (!disk.pending.empty()) disk.pending += '\n';
  passLines(disk);
  closeQuietly(disk.output);
  closeQuietly(disk.input);
  int waitStatus = 0;
  pid_t done = -1;
  do {
    done = ::waitpid(disk.pid, &waitStatus, 0);
  } while (done < 0 && errno == EINTR);
  if (done == disk.pid && WIFEXITED(waitStatus)) {
    disk.status = WEXITSTATUS(waitStatus);
    write(contract::HelperEvent(contract::FinishedEvent{disk.status}, disk.name).line() + '\n');
    return;
  }
  disk.status = HelperContract::toolFailed;
  const std::string how = done == disk.pid && WIFSIGNALED(waitStatus)
                              ? "was ended by signal " + std::to_string(WTERMSIG(waitStatus))
                              : "could not be waited for";
  tellEnd(disk, "Failed: the run for " + disk.name + " " + how + "; " +
                    (disk.written ? "/dev/" + disk.name + " may be left incomplete."
                                  : "nothing was written."));
}

// Tells how a run that could not tell it ended: its failure event and line,
// then its end.
void BatchRun::tellEnd(Disk& disk, const std::string& line) {
  write(contract::HelperEvent(
            contract::FailureEvent{HelperContract::failureKind(disk.status), disk.written, {},
                                   disk.status, line},
            disk.name)
            .line() +
        '\n');
  passLine(disk, contract::FrameWriter::textFrames(line));
  write(contract::HelperEvent(contract::FinishedEvent{disk.status}, disk.name).line() + '\n');
}

void BatchRun::passLines(Disk& disk) {
  std::size_t start = 0;
  for (std::size_t end = disk.pending.find('\n'); end != std::string::npos;
       end = disk.pending.find('\n', start)) {
    passLine(disk, std::string_view(disk.pending).substr(start, end + 1 - start));
    start = end + 1;
  }
  disk.pending.erase(0, start);
}

// One line of a disk's run, with its line feed: an event is told its disk,
// text follows a lines event that names the disk when other text came last.
void BatchRun::passLine(Disk& disk, std::string_view line) {
  if (contract::HelperEvent::isEventLine(line)) {
    if (std::optional<contract::HelperEvent> event =
            contract::HelperEvent::fromLine(line.substr(0, line.size() - 1))) {
      if (event->get<contract::WritingEvent>()) disk.written = true;
      write(contract::HelperEvent(event->payload(), event->disk().value_or(disk.name)).line() +
            '\n');
      return;
    }
  }
  if (linesOf_ != &disk) {
    write(contract::HelperEvent(contract::LinesEvent{}, disk.name).line() + '\n');
    linesOf_ = &disk;
  }
  write(line);
}

void BatchRun::write(std::string_view bytes) {
  if (outputLost_) return;
  if (StandardOutput::write(bytes)) return;
  // The caller can no longer be told: for every run it is gone.
  outputLost_ = true;
  tellEveryRun(false);
}

// cancel: asks every run to stop; else closes their input, as a caller that
// went away does.
void BatchRun::tellEveryRun(bool cancel) {
  for (Disk& disk : disks_) tell(disk, cancel);
}

void BatchRun::tell(Disk& disk, bool cancel) {
  if (disk.input < 0) return;
  if (cancel) {
    const std::string request = std::string(HelperContract::cancelRequest) + '\n';
    [[maybe_unused]] const ssize_t written = ::write(disk.input, request.data(), request.size());
  }
  // Nothing more is said to a run after a cancel request.
  closeQuietly(disk.input);
}

}  // namespace tessaro::helper
