// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeProgress.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tessaro {

namespace {

const QString kPrefix = QStringLiteral("Progress: ");

}  // namespace

ProbeProgress ProbeProgress::estimate(quint64 doneBytes, quint64 plannedBytes, qint64 elapsedMs) {
  ProbeProgress progress;
  if (plannedBytes == 0) return {1.0, 0};
  progress.fraction = std::clamp(double(doneBytes) / double(plannedBytes), 0.0, 1.0);
  // A guess from the first percent or the first second is mostly noise.
  if (progress.fraction >= 0.01 && elapsedMs >= 1000) {
    const double total = double(elapsedMs) / progress.fraction;
    progress.secondsLeft = qint64(std::ceil((total - double(elapsedMs)) / 1000.0));
  }
  if (progress.fraction >= 1.0) progress.secondsLeft = 0;
  return progress;
}

QString ProbeProgress::text() const {
  const int percent = int(std::floor(std::clamp(fraction, 0.0, 1.0) * 100.0));
  QString text = QStringLiteral("%1 %").arg(percent);
  if (!secondsLeft || percent >= 100) return text;
  if (*secondsLeft < 60) return text + QStringLiteral(", about %1 s left").arg(*secondsLeft);
  return text + QStringLiteral(", about %1 min left").arg((*secondsLeft + 30) / 60);
}

QString ProbeProgress::line() const { return kPrefix + text(); }

std::optional<ProbeProgress> ProbeProgress::fromLine(const QString& line) {
  static const QRegularExpression pattern(
      QStringLiteral(R"(^Progress: (\d{1,3}) %(?:, about (\d{1,7}) (s|min) left)?$)"));
  const QRegularExpressionMatch match = pattern.match(line.trimmed());
  if (!match.hasMatch()) return std::nullopt;
  const int percent = match.captured(1).toInt();
  if (percent > 100) return std::nullopt;
  ProbeProgress progress{percent / 100.0, std::nullopt};
  if (match.hasCaptured(2)) {
    const qint64 amount = match.captured(2).toLongLong();
    progress.secondsLeft = match.captured(3) == QLatin1String("min") ? amount * 60 : amount;
  }
  return progress;
}

}  // namespace tessaro
