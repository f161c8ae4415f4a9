// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

extern char** environ;

namespace tessaro {

namespace {

using Clock = std::chrono::steady_clock;

QString systemError(const char* what) {
  return QLatin1String(what) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// A pseudo-terminal pair; the tool gets the slave, in raw mode so that what
// it writes arrives unchanged (no "\n" to "\r\n", no echo of its input).
bool openRawTerminal(int& master, int& slave, QString& error) {
  master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) {
    error = systemError("posix_openpt");
    return false;
  }
  std::array<char, 128> name{};
  if (grantpt(master) != 0 || unlockpt(master) != 0 ||
      ptsname_r(master, name.data(), name.size()) != 0) {
    error = systemError("pseudo-terminal");
    closeFd(master);
    return false;
  }
  slave = open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    error = systemError("pseudo-terminal");
    closeFd(master);
    return false;
  }
  termios mode{};
  if (tcgetattr(slave, &mode) == 0) {
    cfmakeraw(&mode);
    tcsetattr(slave, TCSANOW, &mode);
  }
  // Wide enough that tools which fit their lines to the terminal do not wrap.
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 200;
  ioctl(slave, TIOCSWINSZ, &size);
  return true;
}

int remainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

ToolProcess::ToolProcess(QStringList command, Output output)
    : command_(std::move(command)), output_(output) {}

ToolProcess::~ToolProcess() {
  if (pid_ > 0 && !reaped_) stop();
  closeDescriptors();
}

void ToolProcess::setInputText(QByteArray text) {
  input_ = Input::text;
  inputText_ = std::move(text);
}

void ToolProcess::setHeldInput() { input_ = Input::held; }

bool ToolProcess::start() {
  if (pid_ > 0) return false;
  if (command_.isEmpty() || !command_.first().startsWith(QLatin1Char('/'))) {
    error_ = QStringLiteral("not started: the program must be given by its absolute path");
    return false;
  }
  std::vector<QByteArray> words;
  for (const QString& word : command_) words.push_back(word.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int childOutput = -1;
  if (output_ == Output::terminal) {
    if (!openRawTerminal(outputFd_, childOutput, error_)) return false;
  } else {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
      error_ = systemError("pipe");
      return false;
    }
    outputFd_ = fds[0];
    childOutput = fds[1];
  }
  // A socket rather than a pipe: writing to it after the tool has gone fails
  // with EPIPE instead of raising SIGPIPE in this process.
  int childInput = -1;
  if (input_ != Input::none) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
      error_ = systemError("socketpair");
      closeFd(childOutput);
      closeDescriptors();
      return false;
    }
    inputFd_ = fds[0];
    childInput = fds[1];
    if (input_ == Input::text) fcntl(inputFd_, F_SETFL, fcntl(inputFd_, F_GETFL) | O_NONBLOCK);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (childInput >= 0) {
    posix_spawn_file_actions_adddup2(&actions, childInput, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, childOutput, STDOUT_FILENO);
  if (output_ == Output::terminal) {
    posix_spawn_file_actions_adddup2(&actions, childOutput, STDERR_FILENO);
  }
  // Nothing else of this process reaches the tool (a locked disk among it).
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A session, and so a process group, of its own; signalSet as a fresh
  // program expects them, whatever this process ignores or blocks.
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  sigset_t signalSet;
  sigemptyset(&signalSet);
  posix_spawnattr_setsigmask(&attributes, &signalSet);
  sigfillset(&signalSet);
  posix_spawnattr_setsigdefault(&attributes, &signalSet);

  const int spawned = posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  closeFd(childOutput);
  closeFd(childInput);
  if (spawned != 0) {
    errno = spawned;
    error_ = systemError(words.front().constData());
    pid_ = -1;
    closeDescriptors();
    return false;
  }
  pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  return true;
}

bool ToolProcess::exited() {
  if (reaped_) return true;
  if (pid_ <= 0) return true;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == 0 || (done < 0 && errno == EINTR)) return false;
  reaped_ = true;
  if (done < 0) {
    exitStatus_ = 127;
  } else {
    exitStatus_ = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  }
  return true;
}

void ToolProcess::signalGroup(int signal) {
  if (pid_ > 0) kill(-pid_, signal);
}

void ToolProcess::closeDescriptors() {
  closeFd(outputFd_);
  closeFd(inputFd_);
  closeFd(pidFd_);
}

int ToolProcess::run(const OutputHandler& onOutput, int watchFd, const WatchHandler& onWatch) {
  if (pid_ <= 0) return 127;
  bool outputOpen = outputFd_ >= 0;
  bool watching = watchFd >= 0 && onWatch;
  std::optional<Clock::time_point> killAt;
  // A tool that has exited while something it started still holds its
  // output open gets the same grace, then its group is killed.
  std::optional<Clock::time_point> outputDeadline;
  std::array<char, 4096> buffer{};

  for (;;) {
    const bool done = exited();
    if (done && !outputOpen) break;
    if (done && !outputDeadline) outputDeadline = Clock::now() + defaultGrace;

    std::array<pollfd, 4> fds{};
    nfds_t count = 0;
    int outputAt = -1, inputAt = -1, watchAt = -1;
    if (outputOpen) {
      fds[count] = {outputFd_, POLLIN, 0};
      outputAt = static_cast<int>(count++);
    }
    if (input_ == Input::text && inputFd_ >= 0) {
      fds[count] = {inputFd_, POLLOUT, 0};
      inputAt = static_cast<int>(count++);
    }
    if (watching) {
      fds[count] = {watchFd, POLLIN, 0};
      watchAt = static_cast<int>(count++);
    }
    if (!done && pidFd_ >= 0) fds[count++] = {pidFd_, POLLIN, 0};

    int timeout = (!done && pidFd_ < 0) || (done && !outputOpen) ? 20 : -1;
    for (const auto& deadline : {killAt, outputDeadline}) {
      if (deadline)
        timeout = timeout < 0 ? remainingMs(*deadline) : std::min(timeout, remainingMs(*deadline));
    }
    const int ready = poll(fds.data(), count, timeout);
    if (ready < 0 && errno != EINTR) break;

    if (killAt && Clock::now() >= *killAt) {
      signalGroup(SIGKILL);
      killAt.reset();
    }
    if (outputDeadline && outputOpen && Clock::now() >= *outputDeadline) {
      signalGroup(SIGKILL);
      closeFd(outputFd_);
      outputOpen = false;
    }
    if (ready <= 0) continue;

    if (outputAt >= 0 && fds[outputAt].revents != 0) {
      const ssize_t got = read(outputFd_, buffer.data(), buffer.size());
      if (got > 0) {
        if (onOutput) onOutput(QByteArray(buffer.data(), static_cast<qsizetype>(got)));
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        // End of output; on a pseudo-terminal EIO once no one holds it open.
        outputOpen = false;
      }
    }
    if (inputAt >= 0 && fds[inputAt].revents != 0) {
      const ssize_t wrote =
          send(inputFd_, inputText_.constData() + inputWritten_,
               static_cast<size_t>(inputText_.size() - inputWritten_), MSG_NOSIGNAL);
      if (wrote > 0) inputWritten_ += wrote;
      if ((wrote < 0 && errno != EINTR && errno != EAGAIN) || inputWritten_ >= inputText_.size()) {
        closeFd(inputFd_);
      }
    }
    if (watchAt >= 0 && fds[watchAt].revents != 0) {
      const Watch verdict = onWatch();
      if (verdict != Watch::carryOn) watching = false;
      if (verdict == Watch::endTool) {
        stopRequested_ = true;
        signalGroup(SIGTERM);
        killAt = Clock::now() + defaultGrace;
      }
    }
  }
  exited();
  closeDescriptors();
  return exitStatus_ < 0 ? 127 : exitStatus_;
}

bool ToolProcess::writeInput(const QByteArray& bytes) {
  if (input_ != Input::held || inputFd_ < 0) return false;
  qsizetype written = 0;
  while (written < bytes.size()) {
    const ssize_t wrote = send(inputFd_, bytes.constData() + written,
                               static_cast<size_t>(bytes.size() - written), MSG_NOSIGNAL);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    written += wrote;
  }
  return true;
}

int ToolProcess::stop(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return 127;
  stopRequested_ = true;
  if (!exited()) {
    signalGroup(SIGTERM);
    const auto killAt = Clock::now() + grace;
    while (!exited() && Clock::now() < killAt) usleep(20000);
    if (!exited()) {
      signalGroup(SIGKILL);
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      reaped_ = true;
      exitStatus_ = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
  }
  return exitStatus_;
}

}  // namespace tessaro
