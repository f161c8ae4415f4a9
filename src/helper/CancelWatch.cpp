// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/CancelWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <string_view>

#include "contract/HelperContract.h"

namespace tessaro::helper {

namespace {

volatile sig_atomic_t terminationRequested = 0;
// Written once by the SIGTERM handler and never read empty: it stays readable.
int terminationPipe[2] = {-1, -1};

// text without the white space (as isspace says) at either end.
std::string_view trimmed(std::string_view text) {
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

void onTermination(int) {
  const int saved = errno;
  terminationRequested = 1;
  const char byte = 't';
  [[maybe_unused]] const ssize_t written = ::write(terminationPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void CancelWatch::watchTermination() {
  if (terminationPipe[0] >= 0) return;
  if (::pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = onTermination;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}

void CancelWatch::watchTerminationAnew() {
  if (terminationPipe[0] < 0) return;
  signal(SIGTERM, SIG_DFL);
  for (int& end : terminationPipe) {
    ::close(end);
    end = -1;
  }
  terminationRequested = 0;
  watchTermination();
}

int CancelWatch::terminationFd() { return terminationPipe[0]; }

bool CancelWatch::carriesRequests(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 &&
         (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || isatty(fd) == 1);
}

CancelWatch::CancelWatch(int fd) : fd_(fd) {
  if (fd < 0) return;
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) return;
  inputWatched_ = carriesRequests(fd);
  epoll_event event{};
  event.events = EPOLLIN;
  if (inputWatched_) {
    event.data.fd = fd;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) inputWatched_ = false;
  }
  if (terminationPipe[0] >= 0) {
    event.data.fd = terminationPipe[0];
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, terminationPipe[0], &event);
  }
}

CancelWatch::~CancelWatch() {
  if (epoll_ >= 0) ::close(epoll_);
}

void CancelWatch::stopWatchingInput() {
  if (!inputWatched_) return;
  inputWatched_ = false;
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd_, nullptr);
}

CancelWatch::State CancelWatch::readAvailable() {
  if (state_ == State::cancelRequested) return state_;
  if (terminationRequested && epoll_ >= 0) {
    stopWatchingInput();
    state_ = State::cancelRequested;
    return state_;
  }
  if (!inputWatched_) return state_;
  std::array<char, 4096> buffer{};
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    const int polled = poll(&ready, 1, 0);
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return state_;
    const ssize_t got = read(fd_, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      // The end of input, or a terminal that hung up.
      stopWatchingInput();
      state_ = State::callerGone;
      return state_;
    }
    pending_.append(buffer.data(), got);
    // The caller writes nothing but the cancel line: any other line, or the
    // start of one that cannot become it, is no request the helper knows and
    // stops the run as the cancel line does. So no input can stand between
    // the run and a cancel.
    if (pending_.find('\n') != std::string::npos) return requestStop();
    if (!std::string_view(HelperContract::cancelRequest).starts_with(trimmed(pending_)))
      return requestStop();
  }
}

CancelWatch::State CancelWatch::requestStop() {
  stopWatchingInput();
  state_ = State::cancelRequested;
  return state_;
}

}  // namespace tessaro::helper
