// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tessaro {

// Answers whether the named tool (a bare name such as "mkfs.fat") can be run.
using ToolProbe = std::function<bool(const QString& tool)>;

// Tools from one Debian package that Tessaro runs and that are not there.
struct MissingTools {
  QStringList tools;  // in the order Tessaro uses them
  QString package;    // the Debian package that provides them
  bool required;      // false: Tessaro works without them, with less done

  // The log line, e.g. "mkfs.fat and fsck.fat not found: install dosfstools".
  QString message() const;

  bool operator==(const MissingTools&) const = default;
};

// The Linux tools Tessaro runs, grouped by the package that provides them.
// pkexec is not asked for when Tessaro already runs as root, which needs no
// elevation. Only packages with at least one missing tool are returned.
QList<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot);

// The probe used at run time: an executable file of that name in PATH or in
// the sbin directories, which a desktop user's PATH often leaves out.
bool isToolInstalled(const QString& tool);

}  // namespace tessaro
