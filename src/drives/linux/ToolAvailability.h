// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tessaro {

// The one table of the Linux programs that Tessaro and its root helper run,
// with the Debian package each comes with, and the one place they are looked
// for: the system's own directories (/usr/sbin, /usr/bin, /sbin, /bin, in
// that order), never PATH, which a desktop user's often lacks /usr/sbin in
// and which the helper must not trust.

// Answers whether the named tool (a bare name such as "mkfs.fat") can be run.
using ToolProbe = std::function<bool(const std::string& tool)>;

// Tools from one Debian package that are not there.
struct MissingTools {
  std::vector<std::string> tools;  // in the order of the table
  std::string package;             // the Debian package that provides them
  bool required;                   // false: Tessaro works without them, with less done

  // The helper's refusal, in English: "Refused: mkfs.fat and fsck.fat are not
  // installed: install dosfstools; nothing was written." (The window says it
  // in the user's language.)
  std::string refusal() const;

  bool operator==(const MissingTools&) const = default;
};

// The directories the tools are looked for in, in order.
std::vector<std::string> systemToolDirectories();

// The absolute path of an executable file named tool in directories; empty
// when there is none.
std::string systemToolPath(const std::string& tool,
                           const std::vector<std::string>& directories = systemToolDirectories());

// Whether the tool is in the system's directories (the probe used at run time).
bool isToolInstalled(const std::string& tool);

// The Debian package a tool comes with; the tool's own name for a program
// the table does not know.
std::string packageOf(const std::string& tool);

// Every tool of the table, in its order (the About box lists them).
std::vector<std::string> allToolNames();

// Of tools, those isAvailable denies, grouped by package in the table's order.
std::vector<MissingTools> missingOf(const std::vector<std::string>& tools,
                                    const ToolProbe& isAvailable);

// What the window and the command line need before they start anything,
// grouped by package; pkexec is not asked for when Tessaro already runs as
// root, which needs no elevation. Only packages with a missing tool are
// returned.
std::vector<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot);

}  // namespace tessaro
