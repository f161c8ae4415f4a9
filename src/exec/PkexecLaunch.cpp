// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#ifndef __APPLE__

#include "exec/PkexecLaunch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "exec/HelperContract.h"
#include "exec/StartMarkerFilter.h"

extern char** environ;

namespace tessaro {

namespace {

constexpr qsizetype kReadBytes = 65536;
constexpr qsizetype kErrorOutputCap = 65536;

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { reset(); }
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Reads what is there; false at end of file or on an error.
bool readSome(int fd, QByteArray& into) {
  into.resize(kReadBytes);
  for (;;) {
    const ssize_t count = ::read(fd, into.data(), size_t(into.size()));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    into.resize(count);
    return true;
  }
}

}  // namespace

bool runsAsRoot() { return geteuid() == 0; }

LaunchOutcome launchAndRead(const LaunchRequest& request) {
  LaunchOutcome outcome;
  if (request.command.isEmpty()) return outcome;
  std::vector<QByteArray> words;
  for (const QString& word : request.command) words.push_back(word.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int out[2], err[2], in[2];
  if (pipe2(out, O_CLOEXEC) != 0) return outcome;
  Descriptor outRead(out[0]), outWrite(out[1]);
  if (pipe2(err, O_CLOEXEC) != 0) return outcome;
  Descriptor errRead(err[0]), errWrite(err[1]);
  // A socket rather than a pipe: writing the cancel line to a helper that has
  // already gone must not raise SIGPIPE here (MSG_NOSIGNAL).
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return outcome;
  Descriptor inOurs(in[0]), inTheirs(in[1]);
  Descriptor wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (wake.get() < 0) return outcome;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inTheirs.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errWrite.get(), STDERR_FILENO);
  // Run directly as root, the helper gets a process group of its own, so
  // that a Ctrl+C typed at a terminal reaches only the program that started
  // it, which cancels through standard input as the window does. pkexec stays
  // in the terminal's group: it may have to ask for a password there.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (!request.elevated) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  outWrite.reset();
  errWrite.reset();
  inTheirs.reset();
  if (spawned != 0) return outcome;

  Cancellation::Hook hook;
  if (request.cancel) {
    hook = request.cancel->onCancel([fd = wake.get()] {
      const std::uint64_t one = 1;
      [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
    });
  }

  StartMarkerFilter filter(request.markerLine);
  auto deliver = [&](const QByteArray& bytes) {
    const QByteArray passed = filter.feed(bytes);
    if (!passed.isEmpty() && request.onOutput) request.onOutput(passed);
  };
  auto keepError = [&](const QByteArray& bytes) {
    const qsizetype room = kErrorOutputCap - outcome.errorOutput.size();
    if (room > 0) outcome.errorOutput += bytes.left(room);
  };
  auto askToStop = [&] {
    outcome.cancelled = true;
    const QByteArray line = QByteArray(HelperContract::cancelRequest) + '\n';
    ::send(inOurs.get(), line.constData(), size_t(line.size()), MSG_NOSIGNAL);
    // pid is not reaped before the loop ends, so it still names our child.
    if (request.elevated && !filter.markerSeen()) ::kill(pid, SIGTERM);
  };

  QByteArray buffer;
  bool outputOpen = true, errorOpen = true;
  while (outputOpen) {
    pollfd fds[3] = {{outRead.get(), POLLIN, 0},
                     {errorOpen ? errRead.get() : -1, POLLIN, 0},
                     {outcome.cancelled ? -1 : wake.get(), POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[2].revents & POLLIN) askToStop();
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
      errorOpen = readSome(errRead.get(), buffer);
      if (errorOpen) keepError(buffer);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      outputOpen = readSome(outRead.get(), buffer);
      if (outputOpen) deliver(buffer);
    }
  }
  // What pkexec wrote just before it ended is already in the pipe.
  while (errorOpen) {
    pollfd pending{errRead.get(), POLLIN, 0};
    if (::poll(&pending, 1, 0) <= 0) break;
    errorOpen = readSome(errRead.get(), buffer);
    if (errorOpen) keepError(buffer);
  }
  const QByteArray rest = filter.finish();
  if (!rest.isEmpty() && request.onOutput) request.onOutput(rest);
  outcome.markerSeen = filter.markerSeen();

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  outcome.exitStatus = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  return outcome;
}

}  // namespace tessaro

#endif
