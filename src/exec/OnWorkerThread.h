// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <coroutine>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaro {

// Runs work on a thread of its own, begun when this is made. Awaiting it
// resumes the awaiting coroutine on its own thread (through that thread's
// event loop) with the result, or goes on at once when the work has already
// ended; the awaiting thread is never blocked meanwhile. What is never
// awaited still runs to its end.
template <typename Result>
class OnWorkerThread {
 public:
  explicit OnWorkerThread(std::function<Result()> work) : state_(std::make_shared<State>()) {
    std::thread([state = state_, work = std::move(work)] {
      Result result = work();
      const std::lock_guard lock(state->mutex);
      state->result = std::move(result);
      state->done = true;
      state->ended.notify_all();
      if (!state->receiver) return;
      QMetaObject::invokeMethod(
          state->receiver,
          [state] {
            state->receiver->deleteLater();
            state->awaiting.resume();
          },
          Qt::QueuedConnection);
    }).detach();
  }

  // Waits up to timeout for the work to end; true when it has.
  bool waitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, timeout, [this] { return state_->done; });
  }

  bool await_ready() const noexcept {
    const std::lock_guard lock(state_->mutex);
    return state_->done;
  }

  bool await_suspend(std::coroutine_handle<> handle) {
    const std::lock_guard lock(state_->mutex);
    // Ended since await_ready: go on at once.
    if (state_->done) return false;
    state_->awaiting = handle;
    state_->receiver = new QObject;  // lives on the awaiting thread
    return true;
  }

  Result await_resume() { return std::move(state_->result); }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    Result result{};
    QObject* receiver = nullptr;
    std::coroutine_handle<> awaiting;
  };
  std::shared_ptr<State> state_;
};

}  // namespace tessaro
