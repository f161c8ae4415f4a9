// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tessaro {

// The one table of the Linux programs that Tessaro and its root helper run,
// with the Debian package each comes with, and the one place they are looked
// for: the system's own directories (/usr/sbin, /usr/bin, /sbin, /bin, in
// that order), never PATH, which a desktop user's often lacks /usr/sbin in
// and which the helper must not trust.

// Answers whether the named tool (a bare name such as "mkfs.fat") can be run.
using ToolProbe = std::function<bool(const QString& tool)>;

// Tools from one Debian package that are not there.
struct MissingTools {
  QStringList tools;  // in the order of the table
  QString package;    // the Debian package that provides them
  bool required;      // false: Tessaro works without them, with less done

  // The window's log line, e.g. "mkfs.fat and fsck.fat not found: install
  // dosfstools".
  QString message() const;
  // The helper's refusal, in English: "Refused: mkfs.fat and fsck.fat are not
  // installed: install dosfstools; nothing was written."
  QString refusal() const;

  bool operator==(const MissingTools&) const = default;
};

// The directories the tools are looked for in, in order.
QStringList systemToolDirectories();

// The absolute path of an executable file named tool in directories; empty
// when there is none.
QString systemToolPath(const QString& tool,
                       const QStringList& directories = systemToolDirectories());

// Whether the tool is in the system's directories (the probe used at run time).
bool isToolInstalled(const QString& tool);

// The Debian package a tool comes with; the tool's own name for a program
// the table does not know.
QString packageOf(const QString& tool);

// Every tool of the table, in its order (the About box lists them).
QStringList allToolNames();

// Of tools, those isAvailable denies, grouped by package in the table's order.
QList<MissingTools> missingOf(const QStringList& tools, const ToolProbe& isAvailable);

// What the window and the command line need before they start anything,
// grouped by package; pkexec is not asked for when Tessaro already runs as
// root, which needs no elevation. Only packages with a missing tool are
// returned.
QList<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot);

}  // namespace tessaro
