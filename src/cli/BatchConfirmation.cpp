// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/BatchConfirmation.h"

#include <QCoreApplication>

#include "jobs/EraseQuestion.h"

namespace tessaro {

namespace {
struct ConfirmationText {
  Q_DECLARE_TR_FUNCTIONS(BatchConfirmation)
};

QString typeCount(qsizetype count) {
  return ConfirmationText::tr("Type %1 (the number of drives) to erase them all: ").arg(count);
}
}  // namespace

QString BatchConfirmation::formatPrompt(const QList<FormatRequest>& requests) {
  QString text = EraseQuestion::batchFormatQuestion(int(requests.size())) + QLatin1Char('\n') +
                 EraseQuestion::batchFormatWarning() + QLatin1Char('\n');
  for (const FormatRequest& request : requests) {
    text += QStringLiteral("  ") + EraseQuestion::driveName(request.drive) + QLatin1Char('\n');
    for (const QString& detail : EraseQuestion::formatDetails(request))
      text += QStringLiteral("    ") + detail + QLatin1Char('\n');
  }
  return text + typeCount(requests.size());
}

QString BatchConfirmation::probePrompt(const QList<Drive>& drives) {
  QString text = EraseQuestion::batchProbeQuestion(int(drives.size())) + QLatin1Char('\n') +
                 EraseQuestion::batchProbeWarning() + QLatin1Char('\n');
  for (const Drive& drive : drives)
    text += QStringLiteral("  ") + EraseQuestion::driveName(drive) + QLatin1Char('\n');
  return text + typeCount(drives.size());
}

bool BatchConfirmation::confirms(const QString& typedLine, qsizetype count) {
  return typedLine.trimmed() == QString::number(count);
}

}  // namespace tessaro
