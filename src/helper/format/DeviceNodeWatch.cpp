// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/format/DeviceNodeWatch.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace tessaro::helper {

namespace {

// The multicast group the kernel sends its uevents to (udev's is 2).
constexpr unsigned kKernelUeventGroup = 1;

}  // namespace

DeviceNodeWatch::DeviceNodeWatch(const std::string& devRoot) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0 &&
      inotify_add_watch(fd_, devRoot.c_str(),
                        IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_DELETE | IN_ONLYDIR) >= 0)
    return;
  failure_ = std::string("inotify: ") + std::strerror(errno);
  if (fd_ >= 0) close(fd_);

  fd_ = socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = kKernelUeventGroup;
  if (fd_ >= 0 && bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    failure_.clear();
    return;
  }
  failure_ += std::string("; uevents: ") + std::strerror(errno);
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

DeviceNodeWatch::~DeviceNodeWatch() {
  if (fd_ >= 0) close(fd_);
}

DeviceNodeWatch::Wake DeviceNodeWatch::waitUntil(std::chrono::steady_clock::time_point deadline,
                                                 int other) {
  using namespace std::chrono;
  for (;;) {
    const auto left = deadline - steady_clock::now();
    if (left <= steady_clock::duration::zero()) return Wake::deadline;
    // Rounded up, so that the wait never ends just before the deadline.
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(left) + 1ms;
    std::array<pollfd, 2> fds{{{fd_, POLLIN, 0}, {other, POLLIN, 0}}};
    const int ready = poll(fds.data(), other >= 0 ? 2 : 1, int(milliseconds.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Wake::deadline;
    if (other >= 0 && fds[1].revents != 0) return Wake::other;
    if (fds[0].revents != 0) {
      // Events, or uevents, are only a reason to look again.
      std::array<char, 8192> drained{};
      while (read(fd_, drained.data(), drained.size()) > 0) {
      }
      return Wake::changed;
    }
  }
}

}  // namespace tessaro::helper
