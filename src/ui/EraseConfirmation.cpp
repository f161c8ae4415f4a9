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
