// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/InterruptWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace tessaro {

namespace {

int wakeFds[2] = {-1, -1};
constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kSignals.size()> previous{};

void onSignal(int signal) {
  const int saved = errno;
  const char byte = char(signal);
  [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent) {
  if (pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    std::array<char, 16> drained{};
    for (ssize_t got; (got = read(wakeFds[0], drained.data(), drained.size())) > 0;) {
      for (ssize_t i = 0; i < got; ++i) {
        if (count_ == 0) firstSignal_ = drained[size_t(i)];
        emit interrupted(++count_);
      }
    }
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previous[i]);
}

InterruptWatcher::~InterruptWatcher() {
  if (!notifier_) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous[i], nullptr);
  notifier_.reset();
  close(wakeFds[0]);
  close(wakeFds[1]);
  wakeFds[0] = wakeFds[1] = -1;
}

}  // namespace tessaro
