// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace tessaro {

// A request to stop a run, shared between whoever may ask for it (the window's
// Cancel control) and the runs that have to honour it. Thread-safe: cancel()
// may come from any thread, and a run registers what it does on cancel for as
// long as it can do it.
class Cancellation {
 public:
  // Registered for as long as it lives; destroying it waits for an action
  // that is running at that moment, so whatever the action uses may be
  // released right after.
  class Hook {
   public:
    Hook() = default;
    Hook(Cancellation* owner, int id) : owner_(owner), id_(id) {}
    Hook(Hook&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)), id_(other.id_) {}
    Hook& operator=(Hook&& other) noexcept {
      if (this != &other) {
        release();
        owner_ = std::exchange(other.owner_, nullptr);
        id_ = other.id_;
      }
      return *this;
    }
    Hook(const Hook&) = delete;
    ~Hook() { release(); }
    void release() {
      if (owner_) owner_->remove(id_);
      owner_ = nullptr;
    }

   private:
    Cancellation* owner_ = nullptr;
    int id_ = 0;
  };

  Cancellation() = default;
  ~Cancellation();
  Cancellation(const Cancellation&) = delete;
  Cancellation& operator=(const Cancellation&) = delete;

  // Asks once; later calls do nothing. Runs every registered action on the
  // calling thread. An action must not call back into this object.
  void cancel();
  bool isCancelled() const;

  // Runs action when cancel() is called, or at once when it already was.
  [[nodiscard]] Hook onCancel(std::function<void()> action);

  // A descriptor for a run that waits in poll(): readable, and never read
  // empty, once cancel() has been called. Made on first use; -1 when it
  // cannot be made.
  int fd();

 private:
  void remove(int id);

  mutable std::mutex mutex_;
  bool cancelled_ = false;
  int nextId_ = 1;
  std::map<int, std::function<void()>> actions_;
  int pipe_[2] = {-1, -1};
};

}  // namespace tessaro
