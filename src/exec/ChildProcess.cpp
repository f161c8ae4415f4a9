// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#ifdef __linux__
#include <sys/syscall.h>
#endif

extern char** environ;

namespace tessaro {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReadBytes = 65536;

#ifdef __linux__
constexpr int kNoSignal = MSG_NOSIGNAL;
#else
constexpr int kNoSignal = 0;  // SO_NOSIGPIPE is set on the socket instead
#endif

std::string systemError(const std::string& what, int error = errno) {
  return what + ": " + std::strerror(error);
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void setFlags(int fd, int descriptorFlags, int statusFlags) {
  if (descriptorFlags) ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | descriptorFlags);
  if (statusFlags) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | statusFlags);
}

// Both ends close on exec, so that no other child inherits them.
bool openPipe(int fds[2]) {
#ifdef __linux__
  return ::pipe2(fds, O_CLOEXEC) == 0;
#else
  if (::pipe(fds) != 0) return false;
  setFlags(fds[0], FD_CLOEXEC, 0);
  setFlags(fds[1], FD_CLOEXEC, 0);
  return true;
#endif
}

// A socket rather than a pipe for standard input: writing to it after the
// child has gone fails with EPIPE instead of raising SIGPIPE here.
bool openInputChannel(int fds[2]) {
#ifdef __linux__
  return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0;
#else
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return false;
  const int on = 1;
  ::setsockopt(fds[0], SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
  setFlags(fds[0], FD_CLOEXEC, 0);
  setFlags(fds[1], FD_CLOEXEC, 0);
  return true;
#endif
}

// A pseudo-terminal pair; the child gets the slave, in raw mode so that what
// it writes arrives unchanged (no "\n" to "\r\n", no echo of its input).
// Neither side becomes anyone's controlling terminal (O_NOCTTY).
bool openRawTerminal(int& master, int& slave, std::string& error) {
  master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    error = systemError("posix_openpt");
    return false;
  }
  setFlags(master, FD_CLOEXEC, 0);
  std::array<char, 128> name{};
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
      ::ptsname_r(master, name.data(), name.size()) != 0) {
    error = systemError("pseudo-terminal");
    closeFd(master);
    return false;
  }
  slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    error = systemError("pseudo-terminal");
    closeFd(master);
    return false;
  }
  termios mode{};
  if (::tcgetattr(slave, &mode) == 0) {
    ::cfmakeraw(&mode);
    ::tcsetattr(slave, TCSANOW, &mode);
  }
  // Wide enough that tools which fit their lines to the terminal do not wrap.
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 200;
  ::ioctl(slave, TIOCSWINSZ, &size);
  return true;
}

int remainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

int statusOf(int waitStatus) {
  return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
}

// Reads what is there into buffer; what was read (maybe nothing), and in
// ended whether the stream has ended (on a pseudo-terminal: EIO once no one
// holds its other side open).
std::string_view readSome(int fd, std::vector<char>& buffer, bool& ended) {
  buffer.resize(kReadBytes);
  const ssize_t got = ::read(fd, buffer.data(), kReadBytes);
  ended = !(got > 0 || (got < 0 && (errno == EINTR || errno == EAGAIN)));
  return {buffer.data(), std::size_t(std::max<ssize_t>(got, 0))};
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> command, Output output, Group group)
    : command_(std::move(command)), output_(output), group_(group) {}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) stop();
  closeDescriptors();
}

void ChildProcess::setInputText(std::string text) {
  input_ = Input::text;
  inputText_ = std::move(text);
}

void ChildProcess::setHeldInput() { input_ = Input::held; }

void ChildProcess::setInheritedInput() { input_ = Input::inherited; }

bool ChildProcess::start() {
  if (pid_ > 0) return false;
  if (command_.empty() || !command_.front().starts_with('/')) {
    error_ = "not started: the program must be given by its absolute path";
    return false;
  }
  std::vector<char*> argv;
  for (std::string& word : command_) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child's ends, closed here once it has them.
  int childOutput = -1, childError = -1, childInput = -1;
  const auto fail = [&](const std::string& why) {
    error_ = why;
    closeFd(childOutput);
    closeFd(childError);
    closeFd(childInput);
    closeDescriptors();
    return false;
  };
  int fds[2];
  if (output_ == Output::terminal) {
    if (!openRawTerminal(outputFd_, childOutput, error_)) return fail(error_);
  } else {
    if (!openPipe(fds)) return fail(systemError("pipe"));
    outputFd_ = fds[0];
    childOutput = fds[1];
  }
  if (output_ == Output::separate) {
    if (!openPipe(fds)) return fail(systemError("pipe"));
    errorFd_ = fds[0];
    childError = fds[1];
  }
  if (input_ == Input::text || input_ == Input::held) {
    if (!openInputChannel(fds)) return fail(systemError("socketpair"));
    inputFd_ = fds[0];
    childInput = fds[1];
    if (input_ == Input::text) setFlags(inputFd_, 0, O_NONBLOCK);
  }
  setFlags(outputFd_, 0, O_NONBLOCK);
  if (errorFd_ >= 0) setFlags(errorFd_, 0, O_NONBLOCK);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (childInput >= 0) {
    posix_spawn_file_actions_adddup2(&actions, childInput, STDIN_FILENO);
  } else if (input_ == Input::null) {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, childOutput, STDOUT_FILENO);
  if (output_ == Output::merged || output_ == Output::terminal) {
    posix_spawn_file_actions_adddup2(&actions, childOutput, STDERR_FILENO);
  } else if (childError >= 0) {
    posix_spawn_file_actions_adddup2(&actions, childError, STDERR_FILENO);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (group_ == Group::session) flags |= POSIX_SPAWN_SETSID;
  if (group_ == Group::own) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  // Nothing else of this process reaches the child: not a locked disk, not a
  // descriptor some library opened without close-on-exec.
#ifdef __linux__
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#else
  flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
  if (input_ == Input::inherited) posix_spawn_file_actions_addinherit_np(&actions, STDIN_FILENO);
  if (output_ == Output::pipe) posix_spawn_file_actions_addinherit_np(&actions, STDERR_FILENO);
#endif
  posix_spawnattr_setflags(&attributes, flags);
  // The signals as a fresh program expects them, whatever this process
  // ignores or blocks (the helper ignores the terminal's signals).
  sigset_t signalSet;
  sigemptyset(&signalSet);
  posix_spawnattr_setsigmask(&attributes, &signalSet);
  sigfillset(&signalSet);
  posix_spawnattr_setsigdefault(&attributes, &signalSet);

  const int spawned = posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    return fail(systemError(command_.front(), spawned));
  }
  closeFd(childOutput);
  closeFd(childError);
  closeFd(childInput);
#ifdef __linux__
  pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
#endif
  return true;
}

bool ChildProcess::exited() {
  if (reaped_ || pid_ <= 0) return true;
  int status = 0;
  const pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0 || (done < 0 && errno == EINTR)) return false;
  if (done < 0) {
    // How it ended can no longer be told: nothing of it may go on
    // unwatched (its group is ended while its output is still open).
    runError_ = std::string("could not be waited for (") + std::strerror(errno) + ')';
    signal(SIGKILL);
  }
  reaped_ = true;
  exitStatus_ = done < 0 ? 127 : statusOf(status);
  return true;
}

void ChildProcess::signal(int signal) {
  if (pid_ <= 0) return;
  if (group_ == Group::caller) {
    // Not reaped yet, so pid_ still names the child.
    if (!reaped_) ::kill(pid_, signal);
    return;
  }
  // A group id is not handed out again while any process is in that group;
  // once the child is reaped, output still open says someone still is.
  if (!reaped_ || outputFd_ >= 0 || errorFd_ >= 0) ::kill(-pid_, signal);
}

void ChildProcess::closeDescriptors() {
  closeFd(outputFd_);
  closeFd(errorFd_);
  closeFd(inputFd_);
  closeFd(pidFd_);
}

int ChildProcess::run(const OutputHandler& onOutput, int watchFd, const WatchHandler& onWatch) {
  if (pid_ <= 0) return 127;
  bool watching = watchFd >= 0 && onWatch;
  std::optional<Clock::time_point> killAt;
  std::optional<Clock::time_point> outputDeadline;
  std::vector<char> buffer;
  bool ended = false;

  for (;;) {
    const bool done = exited();
    const bool reading = outputFd_ >= 0 || errorFd_ >= 0;
    if (done && !reading) break;
    if (done && !outputDeadline) outputDeadline = Clock::now() + defaultGrace;

    std::array<pollfd, 5> fds{};
    nfds_t count = 0;
    const auto add = [&](int fd, short events) {
      if (fd < 0) return -1;
      fds[count] = {fd, events, 0};
      return static_cast<int>(count++);
    };
    const int outputAt = add(outputFd_, POLLIN);
    const int errorAt = add(errorFd_, POLLIN);
    const int inputAt = add(input_ == Input::text ? inputFd_ : -1, POLLOUT);
    const int watchAt = add(watching ? watchFd : -1, POLLIN);
    add(done ? -1 : pidFd_, POLLIN);

    // Without a pidfd the exit is looked for every 20 ms.
    int timeout = !done && pidFd_ < 0 ? 20 : -1;
    for (const auto& deadline : {killAt, outputDeadline}) {
      if (deadline)
        timeout = timeout < 0 ? remainingMs(*deadline) : std::min(timeout, remainingMs(*deadline));
    }
    const int ready = ::poll(fds.data(), count, timeout);
    if (ready < 0 && errno != EINTR) {
      // Its output and its end can no longer be watched: it is ended.
      runError_ = std::string("could not be watched (") + std::strerror(errno) + ')';
      stop();
      break;
    }

    if (killAt && Clock::now() >= *killAt) {
      signal(SIGKILL);
      killAt.reset();
    }
    if (outputDeadline && Clock::now() >= *outputDeadline) {
      signal(SIGKILL);
      closeFd(outputFd_);
      closeFd(errorFd_);
      continue;
    }
    if (ready <= 0) continue;

    if (outputAt >= 0 && fds[outputAt].revents != 0) {
      const std::string_view bytes = readSome(outputFd_, buffer, ended);
      if (ended) closeFd(outputFd_);
      if (!bytes.empty() && onOutput) onOutput(bytes);
    }
    if (errorAt >= 0 && fds[errorAt].revents != 0) {
      const std::string_view bytes = readSome(errorFd_, buffer, ended);
      if (ended) closeFd(errorFd_);
      errorOutput_ += bytes.substr(0, errorOutputCap - std::min(errorOutputCap, errorOutput_.size()));
    }
    if (inputAt >= 0 && fds[inputAt].revents != 0) {
      const ssize_t wrote =
          ::send(inputFd_, inputText_.data() + inputWritten_, inputText_.size() - inputWritten_,
                 kNoSignal);
      if (wrote > 0) inputWritten_ += std::size_t(wrote);
      if ((wrote < 0 && errno != EINTR && errno != EAGAIN) || inputWritten_ >= inputText_.size()) {
        closeFd(inputFd_);
      }
    }
    if (watchAt >= 0 && fds[watchAt].revents != 0) {
      const Watch verdict = onWatch();
      if (verdict != Watch::carryOn) watching = false;
      if (verdict == Watch::endChild) {
        stopRequested_ = true;
        signal(SIGTERM);
        killAt = Clock::now() + defaultGrace;
      }
    }
  }
  exited();
  closeDescriptors();
  return exitStatus_;
}

bool ChildProcess::writeInput(std::string_view bytes) {
  if (input_ != Input::held || inputFd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t wrote = ::send(inputFd_, bytes.data(), bytes.size(), kNoSignal);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes.remove_prefix(std::size_t(wrote));
  }
  return true;
}

void ChildProcess::closeInput() {
  if (input_ == Input::held) closeFd(inputFd_);
}

int ChildProcess::stop(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return 127;
  stopRequested_ = true;
  if (exited()) return exitStatus_;
  signal(SIGTERM);
  const auto killAt = Clock::now() + grace;
  while (!exited() && Clock::now() < killAt) ::usleep(20000);
  if (!exited()) {
    signal(SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    exitStatus_ = statusOf(status);
  }
  return exitStatus_;
}

}  // namespace tessaro
