// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/Cancellation.h"

#include <fcntl.h>
#include <unistd.h>

namespace tessaro {

namespace {

void makeReadable(int fd) {
  const char byte = 'c';
  [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

}  // namespace

Cancellation::~Cancellation() {
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void Cancellation::cancel() {
  const std::lock_guard lock(mutex_);
  if (cancelled_) return;
  cancelled_ = true;
  if (pipe_[1] >= 0) makeReadable(pipe_[1]);
  for (auto& [id, action] : actions_) action();
}

bool Cancellation::isCancelled() const {
  const std::lock_guard lock(mutex_);
  return cancelled_;
}

Cancellation::Hook Cancellation::onCancel(std::function<void()> action) {
  const std::lock_guard lock(mutex_);
  if (cancelled_) action();
  const int id = nextId_++;
  actions_.emplace(id, std::move(action));
  return Hook(this, id);
}

void Cancellation::remove(int id) {
  const std::lock_guard lock(mutex_);
  actions_.erase(id);
}

int Cancellation::fd() {
  const std::lock_guard lock(mutex_);
  if (pipe_[0] < 0) {
    if (::pipe(pipe_) != 0) return -1;
    for (const int end : pipe_) {
      ::fcntl(end, F_SETFD, FD_CLOEXEC);
      ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    if (cancelled_) makeReadable(pipe_[1]);
  }
  return pipe_[0];
}

}  // namespace tessaro
