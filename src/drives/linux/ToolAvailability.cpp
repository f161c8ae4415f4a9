// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/ToolAvailability.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace tessaro {

namespace {

struct PackageTools {
  QStringList tools;
  QString package;
  bool required;
  bool needsElevation;
};

const QList<PackageTools>& linuxPackages() {
  static const QList<PackageTools> packages = {
      {{"lsblk", "wipefs", "partx", "blkid"}, "util-linux", true, false},
      {{"sfdisk"}, "fdisk", true, false},
      {{"mkfs.fat", "fsck.fat"}, "dosfstools", true, false},
      {{"pkexec"}, "pkexec", true, true},
      {{"udisksctl"}, "udisks2", false, false},
  };
  return packages;
}

struct AvailabilityText {
  Q_DECLARE_TR_FUNCTIONS(ToolAvailability)
};

QString joinNames(const QStringList& names) {
  if (names.size() < 2) return names.join(QString());
  //: The last of several programs: "lsblk, wipefs and blkid".
  return AvailabilityText::tr("%1 and %2")
      .arg(names.mid(0, names.size() - 1).join(QStringLiteral(", ")), names.last());
}

}  // namespace

QString MissingTools::message() const {
  if (!required)
    return AvailabilityText::tr(
               "%1 not found: install %2, or a drive will not be mounted after it is formatted")
        .arg(joinNames(tools), package);
  return AvailabilityText::tr("%1 not found: install %2").arg(joinNames(tools), package);
}

QList<MissingTools> findMissingTools(const ToolProbe& isAvailable, bool runsAsRoot) {
  QList<MissingTools> missing;
  for (const PackageTools& entry : linuxPackages()) {
    if (entry.needsElevation && runsAsRoot) continue;
    QStringList absent;
    for (const QString& tool : entry.tools)
      if (!isAvailable(tool)) absent << tool;
    if (!absent.isEmpty()) missing.append({absent, entry.package, entry.required});
  }
  return missing;
}

bool isToolInstalled(const QString& tool) {
  if (!QStandardPaths::findExecutable(tool).isEmpty()) return true;
  static const QStringList sbinDirs = {"/usr/local/sbin", "/usr/sbin", "/sbin", "/usr/bin", "/bin"};
  return !QStandardPaths::findExecutable(tool, sbinDirs).isEmpty();
}

}  // namespace tessaro
