// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HelperTools.h"

#include <QFileInfo>

namespace tessaro::helper {

HelperTools::HelperTools(const QStringList& names, const QStringList& directories) : names_(names) {
  for (const QString& name : names) {
    for (const QString& directory : directories) {
      const QFileInfo candidate(directory + QLatin1Char('/') + name);
      if (candidate.isFile() && candidate.isExecutable()) {
        paths_.insert(name, candidate.absoluteFilePath());
        break;
      }
    }
  }
}

QString HelperTools::packageOf(const QString& name) {
  static const QMap<QString, QString> packages{
      {QStringLiteral("lsblk"), QStringLiteral("util-linux")},
      {QStringLiteral("findmnt"), QStringLiteral("util-linux")},
      {QStringLiteral("wipefs"), QStringLiteral("util-linux")},
      {QStringLiteral("partx"), QStringLiteral("util-linux")},
      {QStringLiteral("blkid"), QStringLiteral("util-linux")},
      {QStringLiteral("umount"), QStringLiteral("mount")},
      {QStringLiteral("sfdisk"), QStringLiteral("fdisk")},
      {QStringLiteral("mkfs.fat"), QStringLiteral("dosfstools")},
      {QStringLiteral("fsck.fat"), QStringLiteral("dosfstools")},
      {QStringLiteral("udevadm"), QStringLiteral("udev")},
  };
  return packages.value(name, name);
}

QStringList HelperTools::missingLines() const {
  QStringList packages;
  QMap<QString, QStringList> missing;
  for (const QString& name : names_) {
    if (paths_.contains(name)) continue;
    const QString package = packageOf(name);
    if (!packages.contains(package)) packages << package;
    missing[package] << name;
  }
  QStringList lines;
  for (const QString& package : packages) {
    const QStringList& tools = missing[package];
    const QString named = tools.size() == 1
                              ? tools.first() + QStringLiteral(" is")
                              : tools.mid(0, tools.size() - 1).join(QStringLiteral(", ")) +
                                    QStringLiteral(" and ") + tools.last() + QStringLiteral(" are");
    lines << QStringLiteral("Refused: ") + named + QStringLiteral(" not installed: install ") +
                 package + QStringLiteral("; nothing was written.");
  }
  return lines;
}

}  // namespace tessaro::helper
