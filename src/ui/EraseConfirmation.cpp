// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/EraseConfirmation.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#include "drives/ProbePlan.h"
#include "jobs/EraseQuestion.h"
#include "ui/Theme.h"
#include "ui/WindowLocale.h"

namespace tessaro {

EraseConfirmation EraseConfirmation::forFormat(const FormatRequest& request) {
  return {tr("Erase drive?"), EraseQuestion::formatQuestion(request.drive),
          EraseQuestion::formatWarning() + QStringLiteral("\n\n") + formatDetails(request),
          tr("Erase")};
}

QString EraseConfirmation::formatDetails(const FormatRequest& request) {
  return EraseQuestion::formatDetails(request).join(QLatin1Char('\n'));
}

EraseConfirmation EraseConfirmation::forCapacityTest(const Drive& drive) {
  const quint64 size = quint64(std::max<qint64>(drive.size, 0));
  const auto minutes = [](qint64 seconds) {
    return windowLocale().toString(int(std::max<qint64>((seconds + 59) / 60, 1)));
  };
  return {tr("Test the capacity?"), EraseQuestion::probeQuestion(drive),
          EraseQuestion::probeWarning() + QStringLiteral("\n\n") +
              tr("For a drive of this size it takes about %1 min (an estimate).")
                  .arg(minutes(ProbePlan::estimatedSeconds(size, {}))),
          tr("Erase and Test"),
          tr("Write and check every block (about %1 min): finds every bad place, and any cache")
              .arg(minutes(ProbePlan::estimatedFullSeconds(size)))};
}

EraseConfirmation EraseConfirmation::forBatchFormat(const QList<FormatRequest>& requests) {
  QStringList drives;
  for (const FormatRequest& request : requests)
    drives << EraseQuestion::driveName(request.drive) + QStringLiteral("\n") +
                  formatDetails(request);
  return {tr("Erase drives?"), EraseQuestion::batchFormatQuestion(int(requests.size())),
          EraseQuestion::batchFormatWarning() + QStringLiteral("\n\n") +
              drives.join(QStringLiteral("\n\n")),
          tr("Erase All")};
}

EraseConfirmation EraseConfirmation::forBatchCapacityTest(const QList<Drive>& drives) {
  QStringList names;
  for (const Drive& drive : drives) names << EraseQuestion::driveName(drive);
  return {
      tr("Test the capacity?"), EraseQuestion::batchProbeQuestion(int(drives.size())),
      EraseQuestion::batchProbeWarning() + QStringLiteral("\n\n") + names.join(QLatin1Char('\n')),
      tr("Erase and Test All")};
}

// Erasing is final, so the safe answer is the default one.
bool EraseConfirmation::ask(QWidget* parent, bool* optionChosen) const {
  QMessageBox box(parent);
  if (!option.isEmpty()) box.setCheckBox(new QCheckBox(option, &box));
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(title);
  box.setText(question);
  box.setInformativeText(details);
  QPushButton* proceed = box.addButton(proceedButton, QMessageBox::DestructiveRole);
  theme::styleDestructive(proceed);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  if (optionChosen) *optionChosen = box.checkBox() && box.checkBox()->isChecked();
  return box.clickedButton() == proceed;
}

}  // namespace tessaro
