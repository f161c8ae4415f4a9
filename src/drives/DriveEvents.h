// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace tessaro {

// Tells when block devices appear, disappear or change, so that the drive
// list can follow without a button press. Lives on the main thread.
class DriveEvents : public QObject {
  Q_OBJECT
 public:
  enum class Action { added, removed, changed };
  Q_ENUM(Action)

  using QObject::QObject;

  // The platform's source; on a platform without one, a source that never fires.
  static std::unique_ptr<DriveEvents> platformDefault();

 signals:
  // kernelName without "/dev/": a whole disk (sdb) or a partition (sdb1).
  void deviceEvent(tessaro::DriveEvents::Action action, const QString& kernelName);
};

}  // namespace tessaro
