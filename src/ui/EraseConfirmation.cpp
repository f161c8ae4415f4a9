// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/EraseConfirmation.h"

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
  const qint64 seconds = ProbePlan::estimatedSeconds(quint64(std::max<qint64>(drive.size, 0)), {});
  const int minutes = int(std::max<qint64>((seconds + 59) / 60, 1));
  return {tr("Test the capacity?"), EraseQuestion::probeQuestion(drive),
          EraseQuestion::probeWarning() + QStringLiteral("\n\n") +
              tr("For a drive of this size it takes about %1 min (an estimate).")
                  .arg(windowLocale().toString(minutes)),
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
  theme::styleDestructive(proceed);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == proceed;
}

}  // namespace tessaro
