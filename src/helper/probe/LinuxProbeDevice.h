// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>

#include "helper/probe/ProbeTarget.h"

namespace tessaro {

// A block device as a capacity probe's target, through a descriptor the caller
// opened for reading and writing and keeps open (and holds) for the whole
// probe. Every transfer bypasses the kernel's page cache (O_DIRECT, switched
// on here when the descriptor lacks it), and flush() waits until the drive
// reports the data stored.
class LinuxProbeDevice : public ProbeTarget {
 public:
  // Throws an Error when fd is not a block device or its size cannot be read.
  LinuxProbeDevice(int fd, QString devicePath);

  quint64 sizeBytes() const override { return sizeBytes_; }
  Outcome write(quint64 offset, std::span<const char> data) override;
  Outcome read(quint64 offset, std::span<char> data) override;
  void flush() override;

 private:
  [[noreturn]] void fail(const QString& what, quint64 offset, int error) const;

  int fd_;
  QString devicePath_;
  quint64 sizeBytes_ = 0;
};

}  // namespace tessaro
