// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/CapacityFormatDialog.h"

#include <QMessageBox>
#include <QPushButton>

#include "jobs/EraseQuestion.h"
#include "ui/EraseConfirmation.h"
#include "ui/Theme.h"
#include "ui/WindowLocale.h"

namespace tessaro {

namespace {

QString gigabytes(quint64 bytes) {
  QLocale numbers = windowLocale();
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  return numbers.toString(double(bytes) / 1e9, 'f', 2);
}

}  // namespace

bool CapacityFormatDialog::ask(QWidget* parent, const FormatRequest& request,
                               const ProbeResult& result) {
  const Drive& drive = request.drive;
  const qint64 partitionBytes = request.partitionBytes.value_or(drive.size);
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  QPushButton* format = nullptr;
  if (result.genuine()) {
    box.setWindowTitle(tr("Format the tested drive?"));
    box.setText(tr("%1 holds data in all of its %2 GB. The test left test data on it.")
                    .arg(EraseQuestion::driveName(drive), gigabytes(result.claimedBytes)));
    box.setInformativeText(tr("Format it with one FAT32 partition over the whole drive?") +
                           QStringLiteral("\n\n") + EraseConfirmation::formatDetails(request));
    format = box.addButton(tr("Format"), QMessageBox::DestructiveRole);
  } else {
    box.setWindowTitle(tr("Format only what holds data?"));
    if (result.verdict == ProbeResult::Verdict::damaged && !result.badRegions.empty()) {
      box.setText(tr("%1 loses data in places from %2 GB on; its first %2 GB of %3 GB hold data.")
                      .arg(EraseQuestion::driveName(drive),
                           gigabytes(result.badRegions.front().begin),
                           gigabytes(result.claimedBytes)));
    } else {
      box.setText(tr("%1 holds data only in its first %2 GB of %3 GB.")
                      .arg(EraseQuestion::driveName(drive), gigabytes(result.usableBytes),
                           gigabytes(result.claimedBytes)));
    }
    box.setInformativeText(
        tr("Format it with one FAT32 partition of %1 GB, leaving the rest unused? "
           "Files beyond that size would be lost on this drive.")
            .arg(gigabytes(quint64(partitionBytes))) +
        QStringLiteral("\n\n") + EraseConfirmation::formatDetails(request));
    format = box.addButton(tr("Format %1 GB").arg(gigabytes(quint64(partitionBytes))),
                           QMessageBox::DestructiveRole);
  }
  theme::styleDestructive(format);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == format;
}

}  // namespace tessaro
