// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/StandardOutput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace tessaro::helper {

namespace {

int firstError = 0;
// Whether a write that failed left part of a line behind: the next bytes
// then begin a line of their own, so that no frame is joined to it.
bool lineBroken = false;

// bytes with as few writes as it takes; the error that stopped it, or 0.
int writeAll(std::string_view bytes) {
  const std::size_t size = bytes.size();
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A caller that made the pipe non-blocking: wait until it takes more.
      pollfd ready{STDOUT_FILENO, POLLOUT, 0};
      if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return errno;
      continue;
    }
    if (wrote <= 0) {
      const int error = wrote < 0 ? errno : EIO;
      if (bytes.size() < size) lineBroken = true;
      return error;
    }
    bytes.remove_prefix(std::size_t(wrote));
  }
  return 0;
}

}  // namespace

bool StandardOutput::write(std::string_view bytes) {
  if (lineBroken && !bytes.empty()) {
    if (writeAll("\n") != 0) return false;
    lineBroken = false;
  }
  bool whole = true;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
    if (const int error = writeAll(bytes.substr(0, length)); error != 0) {
      if (firstError == 0) firstError = error;
      whole = false;
      break;
    }
    bytes.remove_prefix(length);
  }
  return whole;
}

int StandardOutput::lostError() { return firstError; }

}  // namespace tessaro::helper
