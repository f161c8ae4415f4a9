// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/InfoReport.h"

#include <QCoreApplication>
#include <QLocale>

#include "drives/NumberLocale.h"

namespace tessaro {
namespace {

struct ReportText {
  Q_DECLARE_TR_FUNCTIONS(InfoReport)
};

// Shown for a fact that the disk tool did not report (U+2014).
const QString kMissingValueMark = QStringLiteral("\u2014");

QString shown(const std::optional<std::string>& text) {
  return text ? QString::fromStdString(*text) : kMissingValueMark;
}

// Bus names are names (USB, SATA), but a disk image is described in words.
QString shownBus(const std::optional<std::string>& bus) {
  if (bus == "Disk Image") return ReportText::tr("Disk Image");
  return shown(bus);
}

QString yesNo(bool yes) { return yes ? ReportText::tr("Yes") : ReportText::tr("No"); }

}  // namespace

QStringList infoReportLines(const DriveFacts& facts) {
  const DriveFacts::Disk& disk = facts.disk;
  QStringList lines;
  lines << ReportText::tr("Device: %1").arg(shown(disk.deviceNode));
  lines << ReportText::tr("Model: %1   Bus: %2").arg(shown(disk.model), shownBus(disk.bus));
  lines << ReportText::tr("Removable: %1   Ejectable: %2   Whole Disk: %3")
               .arg(yesNo(disk.removable), yesNo(disk.ejectable), yesNo(disk.wholeDisk));
  if (disk.parentWholeDisk && !disk.parentWholeDisk->empty())
    lines << ReportText::tr("Part of Whole: %1").arg(shown(disk.parentWholeDisk));
  if (disk.deviceBlockSize >= 1)
    lines << ReportText::tr("Device Block Size: %1 Bytes").arg(disk.deviceBlockSize);
  if (disk.totalSize >= 1) {
    lines << ReportText::tr("Disk Size: %1 (%2 Bytes)")
                 //: The locale whose decimal point the disk's size uses.
                 .arg(formatByteCount(disk.totalSize, QLocale(ReportText::tr("en_US"))),
                      QString::number(disk.totalSize));
  }
  if (!facts.partition) return lines;

  const DriveFacts::Partition& partition = *facts.partition;
  lines << QString() << ReportText::tr("Partition Info:");
  lines << ReportText::tr("Volume Name: %1").arg(shown(partition.volumeName));
  if (partition.filesystem)
    lines << ReportText::tr("Filesystem: %1").arg(shown(partition.filesystem));
  lines << ReportText::tr("Mounted: %1   Mount Point: %2")
               .arg(yesNo(partition.mountPoint.has_value()), shown(partition.mountPoint));
  if (partition.filesystemBlockSize >= 1) {
    lines << ReportText::tr("Filesystem Block Size: %1 Bytes").arg(partition.filesystemBlockSize);
  }
  return lines;
}

}  // namespace tessaro
