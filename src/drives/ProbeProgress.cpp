// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeProgress.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "exec/TypedEvent.h"

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

contract::ProgressEvent ProbeProgress::event() const {
  contract::ProgressEvent event{fraction, std::int64_t(bytesDone), secondsLeft};
  if (bytesPerSecond) event.bytesPerSecond = std::int64_t(*bytesPerSecond);
  return event;
}

std::optional<ProbeProgress> ProbeProgress::fromEvent(const HelperEvent& event) {
  if (event.kind() != HelperEvent::Kind::progress) return std::nullopt;
  const std::optional<contract::HelperEvent> typed = typedEvent(event);
  const contract::ProgressEvent* told = typed ? typed->get<contract::ProgressEvent>() : nullptr;
  if (!told) return std::nullopt;
  ProbeProgress progress{told->fraction, told->secondsLeft, quint64(told->bytesDone), std::nullopt};
  if (told->bytesPerSecond) progress.bytesPerSecond = quint64(*told->bytesPerSecond);
  return progress;
}

}  // namespace tessaro
