// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/EraseConfirmation.h"

#include <QMessageBox>
#include <QPushButton>

#include "drives/ProbePlan.h"
#include "jobs/WorkflowPolicy.h"
#include "ui/WindowLocale.h"

namespace tessaro {

EraseConfirmation EraseConfirmation::forFormat(const FormatRequest& request) {
  const Drive& drive = request.drive;
  return {tr("Erase drive?"),
          tr("Erase %1 (%2)?").arg(windowDriveDescription(drive), drive.devicePath),
          tr("All data on this drive will be erased. This cannot be undone.") +
              QStringLiteral("\n\n") + formatDetails(request),
          tr("Erase")};
}

QString EraseConfirmation::formatDetails(const FormatRequest& request) {
  const QLocale numbers = windowLocale();
  QStringList lines;
  lines << tr("Volume name: %1").arg(request.volumeName);
  lines << (request.clusterBytes
                ? tr("Cluster size: %1 bytes").arg(numbers.toString(*request.clusterBytes))
                : tr("Cluster size: default for the drive's size"));
  const qint64 driveBytes = request.drive.size;
  if (request.partitionBytes && (driveBytes <= 0 || *request.partitionBytes < driveBytes)) {
    lines << tr("Partition: %1 of the drive's %2; the rest stays unused")
                 .arg(windowByteCount(*request.partitionBytes), windowByteCount(driveBytes));
  } else {
    lines << tr("Partition: one FAT32 partition over the whole drive");
  }
  const QString notice = WorkflowPolicy::formatNotice(request);
  if (!notice.isEmpty()) lines << QString() << notice;
  return lines.join(QLatin1Char('\n'));
}

EraseConfirmation EraseConfirmation::forCapacityTest(const Drive& drive) {
  const qint64 seconds = ProbePlan::estimatedSeconds(quint64(std::max<qint64>(drive.size, 0)), {});
  const int minutes = int(std::max<qint64>((seconds + 59) / 60, 1));
  return {
      tr("Test the capacity?"),
      tr("Test the capacity of %1 (%2)?").arg(windowDriveDescription(drive), drive.devicePath),
      tr("The test writes test data across the whole drive, erasing all data on it. "
         "This cannot be undone.") +
          QStringLiteral("\n\n") +
          tr("For a drive of this size it takes about %1 min (an estimate).")
              .arg(windowLocale().toString(minutes)) +
          QLatin1Char(' ') +
          tr("Afterwards the drive holds no file system and must be formatted before "
             "it can be used."),
      tr("Erase and Test")};
}

// Erasing is final, so the safe answer is the default one.
bool EraseConfirmation::ask(QWidget* parent) const {
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(title);
  box.setText(question);
  box.setInformativeText(details);
  QPushButton* proceed = box.addButton(proceedButton, QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == proceed;
}

}  // namespace tessaro
