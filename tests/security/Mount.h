// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tessaro::security {

// A file system mounted, for the life of the object, on a directory of its
// own under the temporary directory: outside /media, where nothing offers it
// for unmounting.
class Mount {
 public:
  Mount(const QString& device, const QString& type, const QStringList& options = {});
  ~Mount();
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;

  // Whether the directory is a mount point now (it is checked each time).
  bool mounted() const;
  QString directory() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace tessaro::security
