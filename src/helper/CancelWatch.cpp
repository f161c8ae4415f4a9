// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/CancelWatch.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "exec/HelperContract.h"

namespace tessaro::helper {

CancelWatch::CancelWatch(int fd) : fd_(fd) {
  struct stat info {};
  watched_ = fstat(fd, &info) == 0 &&
             (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || isatty(fd) == 1);
}

CancelWatch::State CancelWatch::readAvailable() {
  if (!watched_ || state_ != State::quiet) return state_;
  std::array<char, 256> buffer{};
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    const int polled = poll(&ready, 1, 0);
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return state_;
    const ssize_t got = read(fd_, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      state_ = State::callerGone;
      watched_ = false;
      return state_;
    }
    pending_.append(buffer.data(), got);
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
      const QByteArray line = pending_.left(end).trimmed();
      pending_.remove(0, end + 1);
      if (line == HelperContract::cancelRequest) {
        state_ = State::cancelRequested;
        watched_ = false;
        return state_;
      }
    }
    // Whatever else a caller writes is no request; it is not kept.
    if (pending_.size() > 64) pending_.clear();
  }
}

}  // namespace tessaro::helper
