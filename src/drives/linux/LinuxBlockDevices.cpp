// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/LinuxBlockDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace tessaro {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

// Letters, digits and ".-_" as they are, a run of anything else as one "_".
QString idWord(const std::string& text) {
  QString word;
  for (const QChar c : qt(text).trimmed()) {
    const bool plain = (c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('.') ||
                       c == QLatin1Char('-') || c == QLatin1Char('_');
    if (plain)
      word += c;
    else if (!word.endsWith(QLatin1Char('_')))
      word += QLatin1Char('_');
  }
  return word;
}

QString byIdName(const QString& name, const QString& byIdDir) {
  if (name.isEmpty()) return {};
  const QDir dir(byIdDir);
  for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
    if (!link.isSymLink()) continue;
    if (QFileInfo(link.symLinkTarget()).fileName() == name) return link.fileName();
  }
  return {};
}

void flatten(const LsblkDevice& device, const LsblkDevice* above, const QString& sysfsRoot,
             const QString& byIdDir, QSet<QString>& seen, QList<BlockDevice>& into) {
  const QString name = qt(device.name);
  if (!name.isEmpty() && !seen.contains(name)) {
    seen.insert(name);
    const std::string sysfs = sysfsRoot.toStdString();
    BlockDevice shown;
    shown.name = name;
    shown.path = device.path.empty() ? QStringLiteral("/dev/") + name : qt(device.path);
    shown.parent = above ? qt(above->name) : QString();
    shown.type = qt(device.type);
    shown.id = linuxStableId(device, sysfsRoot, byIdDir);
    shown.size = device.size;
    shown.model = qt(trimmed(device.model));
    shown.vendor = qt(trimmed(device.vendor));
    if (device.type == "disk") {
      shown.product = qt(linuxModel(device, sysfs));
      if (shown.model.isEmpty()) shown.model = shown.product;
    }
    shown.serial = qt(trimmed(device.serial));
    shown.transport = qt(device.transport);
    shown.removable = device.removable;
    shown.hotplug = device.hotplug;
    shown.readOnly = device.readOnly;
    shown.logicalSectorSize = device.logicalSectorSize.value_or(0);
    shown.fstype = qt(device.fstype);
    shown.fsver = qt(device.fsver);
    shown.label = qt(device.label);
    for (const std::string& mountpoint : device.mountpoints)
      if (!mountpoint.empty()) shown.mountpoints << qt(mountpoint);
    if (!above)
      shown.reason = linuxNotOfferedReason(device, sysfs);
    else if (device.type == "part")
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::partition, above->name);
    else
      shown.reason = NotOfferedReason(NotOfferedReason::Kind::volume, above->name);
    into << shown;
  }
  for (const LsblkDevice& child : device.children)
    flatten(child, &device, sysfsRoot, byIdDir, seen, into);
}

}  // namespace

QString linuxStableId(const LsblkDevice& device, const QString& sysfsRoot, const QString& byIdDir) {
  if (device.type == "disk") {
    const QString wwn = idWord(device.wwn);
    if (!wwn.isEmpty()) return QStringLiteral("wwn-") + wwn;
    const QString serial = idWord(device.serial);
    if (!serial.isEmpty()) {
      const std::string sysfs = sysfsRoot.toStdString();
      const QString bus = qt(linuxBus(device, sysfs));
      const QString model = idWord(linuxModel(device, sysfs));
      return (bus.isEmpty() ? QStringLiteral("disk") : bus) + QLatin1Char('-') +
             (model.isEmpty() ? serial : model + QLatin1Char('_') + serial);
    }
  }
  return byIdName(qt(device.name), byIdDir);
}

QList<BlockDevice> linuxBlockDevices(const std::vector<LsblkDevice>& tree, const QString& sysfsRoot,
                                     const QString& byIdDir) {
  QList<BlockDevice> devices;
  QSet<QString> seen;
  for (const LsblkDevice& device : tree)
    flatten(device, nullptr, sysfsRoot, byIdDir, seen, devices);
  return devices;
}

}  // namespace tessaro
