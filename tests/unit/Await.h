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
  if constexpr (std::is_void_v<T>) {
    auto guarded = [](QCoro::Task<T> inner, std::exception_ptr& failure) -> QCoro::Task<> {
      try {
        co_await std::move(inner);
      } catch (...) {
        failure = std::current_exception();
      }
    };
    QCoro::waitFor(guarded(std::move(task), error));
    if (error) std::rethrow_exception(error);
  } else {
    auto guarded = [](QCoro::Task<T> inner,
                      std::exception_ptr& failure) -> QCoro::Task<std::optional<T>> {
      try {
        co_return co_await std::move(inner);
      } catch (...) {
        failure = std::current_exception();
        co_return std::nullopt;
      }
    };
    std::optional<T> result = QCoro::waitFor(guarded(std::move(task), error));
    if (error) std::rethrow_exception(error);
    return std::move(*result);
  }
}

}  // namespace tessaro::test
