// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeProgress.h"

#include <QCoreApplication>
#include <QJsonValue>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace tessaro {

ProbeProgress ProbeProgress::estimate(quint64 doneBytes, quint64 plannedBytes, qint64 elapsedMs) {
  ProbeProgress progress;
  progress.bytesDone = doneBytes;
  if (plannedBytes == 0) return {1.0, 0, doneBytes};
  progress.fraction = std::clamp(double(doneBytes) / double(plannedBytes), 0.0, 1.0);
  // A guess from the first percent or the first second is mostly noise.
  if (progress.fraction >= 0.01 && elapsedMs >= 1000) {
    const double total = double(elapsedMs) / progress.fraction;
    progress.secondsLeft = qint64(std::ceil((total - double(elapsedMs)) / 1000.0));
  }
  if (progress.fraction >= 1.0) progress.secondsLeft = 0;
  return progress;
}

namespace {

struct ProgressText {
  Q_DECLARE_TR_FUNCTIONS(ProbeProgress)
};

}  // namespace

QString ProbeProgress::text() const {
  const int percent = int(std::floor(std::clamp(fraction, 0.0, 1.0) * 100.0));
  QString shown;
  if (!secondsLeft || percent >= 100) {
    shown = ProgressText::tr("%1 %").arg(percent);
  } else if (*secondsLeft < 60) {
    shown = ProgressText::tr("%1 %, about %2 s left").arg(percent).arg(*secondsLeft);
  } else {
    shown = ProgressText::tr("%1 %, about %2 min left").arg(percent).arg((*secondsLeft + 30) / 60);
  }
  if (!bytesPerSecond || percent >= 100) return shown;
  //: The locale whose decimal point the speed uses.
  QLocale numbers(ProgressText::tr("en_US"));
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  //: %1 is what is done and left, %2 the speed in MB/s.
  return ProgressText::tr("%1 (%2 MB/s)")
      .arg(shown, numbers.toString(double(*bytesPerSecond) / 1e6, 'f', 1));
}

HelperEvent ProbeProgress::event() const {
  return HelperEvent::progress(fraction, bytesDone, secondsLeft, bytesPerSecond);
}

std::optional<ProbeProgress> ProbeProgress::fromEvent(const HelperEvent& event) {
  if (event.kind() != HelperEvent::Kind::progress) return std::nullopt;
  const QJsonObject& fields = event.fields();
  const double fraction = fields.value(QStringLiteral("fraction")).toDouble(-1);
  const double bytes = fields.value(QStringLiteral("bytesDone")).toDouble(-1);
  if (!(fraction >= 0 && fraction <= 1) || !(bytes >= 0 && bytes <= 9007199254740992.0)) {
    return std::nullopt;
  }
  ProbeProgress progress{fraction, std::nullopt, quint64(bytes), std::nullopt};
  if (const QJsonValue left = fields.value(QStringLiteral("secondsLeft")); !left.isUndefined()) {
    const double seconds = left.toDouble(-1);
    // Up to about 30 years: anything longer is not a drive's answer.
    if (!(seconds >= 0 && seconds <= 1e9)) return std::nullopt;
    progress.secondsLeft = qint64(seconds);
  }
  if (const QJsonValue speed = fields.value(QStringLiteral("bytesPerSecond"));
      !speed.isUndefined()) {
    // Up to a petabyte a second: anything faster is not a drive's answer.
    const double bytesPerSecond = speed.toDouble(-1);
    if (!(bytesPerSecond >= 0 && bytesPerSecond <= 1e15)) return std::nullopt;
    progress.bytesPerSecond = quint64(bytesPerSecond);
  }
  return progress;
}

}  // namespace tessaro
