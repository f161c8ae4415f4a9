// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <qcoro/qcorotask.h>

#include <exception>
#include <optional>
#include <type_traits>

namespace tessaro::test {

// Runs a task to completion in a nested event loop, like QCoro::waitFor, but
// passes on an exception the task ends with. QCoro 0.8's waitFor never
// returns when the task throws: the loop is left running.
template <typename T>
T awaitTask(QCoro::Task<T> task) {
  std::exception_ptr error;
  std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
  // The lambda outlives the nested loop, so its captures stay valid.
  auto guarded = [&]() -> QCoro::Task<> {
    try {
      if constexpr (std::is_void_v<T>)
        co_await std::move(task);
      else
        result.emplace(co_await std::move(task));
    } catch (...) {
      error = std::current_exception();
    }
  };
  QCoro::waitFor(guarded());
  if (error) std::rethrow_exception(error);
  if constexpr (!std::is_void_v<T>) return std::move(*result);
}

}  // namespace tessaro::test
