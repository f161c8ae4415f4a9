// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <coroutine>
#include <functional>
#include <thread>

namespace tessaro {

// Awaiting it runs work on a thread of its own and resumes the awaiting
// coroutine on its own thread (through that thread's event loop) with the
// result; the awaiting thread is never blocked meanwhile.
template <typename Result>
class OnWorkerThread {
 public:
  explicit OnWorkerThread(std::function<Result()> work) : work_(std::move(work)) {}

  bool await_ready() const noexcept { return false; }

  void await_suspend(std::coroutine_handle<> handle) {
    auto* receiver = new QObject;  // lives on the awaiting thread
    std::thread([this, handle, receiver] {
      result_ = work_();
      QMetaObject::invokeMethod(
          receiver,
          [handle, receiver] {
            receiver->deleteLater();
            handle.resume();
          },
          Qt::QueuedConnection);
    }).detach();
  }

  Result await_resume() { return std::move(result_); }

 private:
  std::function<Result()> work_;
  Result result_{};
};

}  // namespace tessaro
