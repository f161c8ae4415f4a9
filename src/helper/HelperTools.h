// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "drives/linux/ToolAvailability.h"

namespace tessaro::helper {

// The programs one verb runs, each found by name in the system's own
// directories (systemToolDirectories) when the verb starts: never through
// PATH, whatever the caller's environment says.
class HelperTools {
 public:
  explicit HelperTools(const QStringList& names,
                       const QStringList& directories = systemToolDirectories());

  // The absolute path of a tool that was found; empty otherwise.
  QString path(const QString& name) const { return paths_.value(name); }
  const QMap<QString, QString>& paths() const { return paths_; }

  // One line per Debian package with tools that were not found, such as
  // "Refused: mkfs.fat and fsck.fat are not installed: install dosfstools;
  // nothing was written."; empty when everything is there.
  QStringList missingLines() const;
  // The names of the tools that were not found, in the order asked for.
  QStringList missing() const;

 private:
  QStringList names_;
  QMap<QString, QString> paths_;
};

}  // namespace tessaro::helper
