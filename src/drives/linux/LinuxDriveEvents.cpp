// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxDriveEvents.h"

#include <libudev.h>

#include <QByteArray>
#include <optional>

namespace tessaro {

namespace {
bool udevdIsRunning(udev* context) {
  udev_queue* queue = udev_queue_new(context);
  const bool running = queue && udev_queue_get_udev_is_active(queue) > 0;
  udev_queue_unref(queue);
  return running;
}

std::optional<DriveEvents::Action> actionOf(const char* action) {
  const QByteArray name(action ? action : "");
  if (name == "add") return DriveEvents::Action::added;
  if (name == "remove") return DriveEvents::Action::removed;
  if (name == "change") return DriveEvents::Action::changed;
  return std::nullopt;  // bind, unbind, move, online, offline: not a change of contents
}
}  // namespace

LinuxDriveEvents::LinuxDriveEvents(Source source, QObject* parent)
    : DriveEvents(parent), source_(source), udev_(udev_new()) {
  if (!udev_) return;
  if (source_ == Source::automatic) source_ = udevdIsRunning(udev_) ? Source::udev : Source::kernel;
  monitor_ = udev_monitor_new_from_netlink(udev_, source_ == Source::udev ? "udev" : "kernel");
  if (!monitor_) return;
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "block", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    return;
  }
  notifier_ =
      std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &LinuxDriveEvents::readEvents);
}

LinuxDriveEvents::~LinuxDriveEvents() {
  notifier_.reset();
  udev_monitor_unref(monitor_);
  udev_unref(udev_);
}

void LinuxDriveEvents::readEvents() {
  // The socket does not block: read what is there, then wait for the next wake-up.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* subsystem = udev_device_get_subsystem(device);
    const char* name = udev_device_get_sysname(device);
    const auto action = actionOf(udev_device_get_action(device));
    // The filter runs in the kernel for udevd's events only; kernel events are checked here.
    if (action && name && subsystem && qstrcmp(subsystem, "block") == 0) {
      emit deviceEvent(*action, QString::fromUtf8(name));
    }
    udev_device_unref(device);
  }
}

}  // namespace tessaro
