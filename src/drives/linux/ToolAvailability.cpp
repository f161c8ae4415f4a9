// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/ToolAvailability.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tessaro {

namespace {

struct PackageTools {
  QStringList tools;
  QString package;
  bool required;
  // Only a caller without root rights runs it.
  bool needsElevation;
  // Looked for before anything starts; udevadm only helps the helper where
  // udev runs, and nothing is said when it is not there.
  bool checkedAtStart;
};

const QList<PackageTools>& linuxPackages() {
  static const QList<PackageTools> packages = {
      {{"lsblk", "findmnt", "wipefs", "partx", "blkid"}, "util-linux", true, false, true},
      {{"sfdisk"}, "fdisk", true, false, true},
      {{"mkfs.fat", "fsck.fat"}, "dosfstools", true, false, true},
      {{"umount"}, "mount", true, false, true},
      {{"udevadm"}, "udev", false, false, false},
      {{"pkexec"}, "pkexec", true, true, true},
      {{"udisksctl"}, "udisks2", false, false, true},
  };
  return packages;
}

struct AvailabilityText {
  Q_DECLARE_TR_FUNCTIONS(ToolAvailability)
};

// "a, b and c"; and is the word before the last name.
QString joinNames(const QStringList& names, const QString& last) {
  if (names.size() < 2) return names.join(QString());
  return last.arg(names.mid(0, names.size() - 1).join(QStringLiteral(", ")), names.last());
}

}  // namespace

QString MissingTools::message() const {
  //: The last of several programs: "lsblk, wipefs and blkid".
  const QString named = joinNames(tools, AvailabilityText::tr("%1 and %2"));
  if (!required)
    return AvailabilityText::tr(
               "%1 not found: install %2, or a drive will not be mounted after it is formatted")
        .arg(named, package);
  return AvailabilityText::tr("%1 not found: install %2").arg(named, package);
}

QString MissingTools::refusal() const {
  const QString named = joinNames(tools, QStringLiteral("%1 and %2")) +
                        (tools.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are"));
  return QStringLiteral("Refused: ") + named + QStringLiteral(" not installed: install ") +
         package + QStringLiteral("; nothing was written.");
}

QStringList systemToolDirectories() {
  return {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin"),
          QStringLiteral("/bin")};
}

QString systemToolPath(const QString& tool, const QStringList& directories) {
  // A bare name only: never a path that leads somewhere else.
  if (tool.isEmpty() || tool.contains(QLatin1Char('/'))) return {};
  for (const QString& directory : directories) {
    const QFileInfo candidate(directory + QLatin1Char('/') + tool);
    if (candidate.isFile() && candidate.isExecutable()) return candidate.absoluteFilePath();
  }
  return {};
}

bool isToolInstalled(const QString& tool) { return !systemToolPath(tool).isEmpty(); }

QString packageOf(const QString& tool) {
  for (const PackageTools& entry : linuxPackages())
    if (entry.tools.contains(tool)) return entry.package;
  return tool;
}

QStringList allToolNames() {
  QStringList names;
  for (const PackageTools& entry : linuxPackages()) names += entry.tools;
  return names;
}

QList<MissingTools> missingOf(const QStringList& tools, const ToolProbe& isAvailable) {
  QList<MissingTools> missing;
  for (const PackageTools& entry : linuxPackages()) {
    QStringList absent;
    for (const QString& tool : entry.tools)
      if (tools.contains(tool) && !isAvailable(tool)) absent << tool;
    if (!absent.isEmpty()) missing.append({absent, entry.package, entry.required});
  }
  // A program the table does not know is its own package.
  for (const QString& tool : tools) {
    if (!allToolNames().contains(tool) && !isAvailable(tool)) missing.append({{tool}, tool, true});
  }
  return missing;
}

QList<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot) {
  QStringList needed;
  for (const PackageTools& entry : linuxPackages()) {
    if (!entry.checkedAtStart || (entry.needsElevation && runsAsRoot)) continue;
    needed += entry.tools;
  }
  return missingOf(needed, isAvailable);
}

}  // namespace tessaro
