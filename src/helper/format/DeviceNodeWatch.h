// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <chrono>
#include <string>

namespace tessaro::helper {

// Wakes when the kernel may have added a device node: inotify on /dev, where
// devtmpfs creates a block device's node as the kernel adds the device (and
// udev, where it runs, touches it after), or, where no inotify watch can be
// had, the kernel's own uevents (a NETLINK_KOBJECT_UEVENT socket). Nothing
// is read from what wakes it: whoever waits looks at the device itself.
// Plain C++ and Linux.
class DeviceNodeWatch {
 public:
  explicit DeviceNodeWatch(const std::string& devRoot = "/dev");
  ~DeviceNodeWatch();
  DeviceNodeWatch(const DeviceNodeWatch&) = delete;
  DeviceNodeWatch& operator=(const DeviceNodeWatch&) = delete;

  // Empty while it watches; else why it cannot ("inotify: Too many open
  // files; uevents: Permission denied").
  const std::string& failure() const { return failure_; }

  enum class Wake { changed, other, deadline };
  // Waits until a node may have changed (what woke it is read and dropped),
  // other is readable (-1: nothing else is waited for), or deadline.
  Wake waitUntil(std::chrono::steady_clock::time_point deadline, int other);

 private:
  int fd_ = -1;
  std::string failure_;
};

}  // namespace tessaro::helper
