// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QSocketNotifier>
#include <memory>

#include "drives/DriveEvents.h"

struct udev;
struct udev_monitor;

namespace tessaro {

// Block-device events from a libudev monitor, read on the main thread when
// its socket has data. Where udevd runs (every Debian desktop) it listens to
// udevd's events, sent once the device's udev database entry is complete;
// without udevd (containers, minimal systems) to the kernel's own uevents.
class LinuxDriveEvents : public DriveEvents {
  Q_OBJECT
 public:
  enum class Source { automatic, udev, kernel };

  explicit LinuxDriveEvents(Source source = Source::automatic, QObject* parent = nullptr);
  ~LinuxDriveEvents() override;

  // False when no monitor could be set up; the source then never fires.
  bool isListening() const { return notifier_ != nullptr; }
  // The netlink group listened to: udev or kernel.
  Source source() const { return source_; }

 private:
  void readEvents();

  Source source_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessaro
