// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeProgressText.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace tessaro {

namespace {

struct ProgressText {
  Q_DECLARE_TR_FUNCTIONS(ProbeProgress)
};

}  // namespace

QString probeProgressText(const ProbeProgress& progress) {
  const int percent = int(std::floor(std::clamp(progress.fraction, 0.0, 1.0) * 100.0));
  const std::optional<std::int64_t>& secondsLeft = progress.secondsLeft;
  QString shown;
  if (!secondsLeft || percent >= 100) {
    shown = ProgressText::tr("%1 %").arg(percent);
  } else if (*secondsLeft < 60) {
    shown = ProgressText::tr("%1 %, about %2 s left").arg(percent).arg(*secondsLeft);
  } else {
    shown = ProgressText::tr("%1 %, about %2 min left").arg(percent).arg((*secondsLeft + 30) / 60);
  }
  if (!progress.bytesPerSecond || percent >= 100) return shown;
  //: The locale whose decimal point the speed uses.
  QLocale numbers(ProgressText::tr("en_US"));
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  //: %1 is what is done and left, %2 the speed in MB/s.
  return ProgressText::tr("%1 (%2 MB/s)")
      .arg(shown, numbers.toString(double(*progress.bytesPerSecond) / 1e6, 'f', 1));
}

}  // namespace tessaro
