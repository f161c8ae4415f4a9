// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/HelperRequests.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

namespace tessaro {

HelperRequests::~HelperRequests() {
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void HelperRequests::post(std::string line) {
  const std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
  if (pipe_[1] >= 0) {
    const char byte = 'r';
    [[maybe_unused]] const ssize_t written = ::write(pipe_[1], &byte, 1);
  }
}

std::vector<std::string> HelperRequests::take() {
  const std::lock_guard lock(mutex_);
  if (pipe_[0] >= 0) {
    std::array<char, 256> drained{};
    while (::read(pipe_[0], drained.data(), drained.size()) > 0) {
    }
  }
  std::vector<std::string> taken(lines_.begin(), lines_.end());
  lines_.clear();
  return taken;
}

int HelperRequests::fd() {
  const std::lock_guard lock(mutex_);
  if (pipe_[0] < 0) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    if (!lines_.empty()) {
      const char byte = 'r';
      [[maybe_unused]] const ssize_t written = ::write(pipe_[1], &byte, 1);
    }
  }
  return pipe_[0];
}

}  // namespace tessaro
