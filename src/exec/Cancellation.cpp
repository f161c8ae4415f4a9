// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/Cancellation.h"

namespace tessaro {

void Cancellation::cancel() {
  const std::lock_guard lock(mutex_);
  if (cancelled_) return;
  cancelled_ = true;
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

}  // namespace tessaro
