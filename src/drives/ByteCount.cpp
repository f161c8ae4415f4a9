// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ByteCount.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <array>
#include <cmath>
#include <limits>

namespace tessaro {

// The rule, after the file style of the platform formatters: below 1000 the
// count is given in bytes ("B", the same in every language); above, it is divided by 1000 until it
// is below 1000 and shown in that unit with at most 0 (KB), 1 (MB) or 2 (GB and up) decimals,
// rounded half away from zero, trailing zeros dropped. When rounding reaches 1000 the next unit is
// used (999,999 bytes is "1 MB", not "1000 KB").
QString formatByteCount(qint64 bytes) { return formatByteCount(bytes, QLocale::c()); }

QString formatByteCount(qint64 bytes, const QLocale& numbers) {
  if (bytes < 0) {
    // Written out so that the most negative count does not overflow.
    const QString positive = formatByteCount(bytes == INT64_MIN ? INT64_MAX : -bytes, numbers);
    return QLatin1Char('-') + positive;
  }
  if (bytes < 1000) return QStringLiteral("%1 B").arg(bytes);

  struct Unit {
    const char* name;
    int decimals;
  };
  static constexpr std::array<Unit, 6> units{
      {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};

  double value = static_cast<double>(bytes) / 1000.0;
  size_t index = 0;
  while (value >= 1000.0 && index + 1 < units.size()) {
    value /= 1000.0;
    ++index;
  }
  double scale = std::pow(10.0, units[index].decimals);
  double rounded = std::round(value * scale) / scale;
  if (rounded >= 1000.0 && index + 1 < units.size()) {
    ++index;
    scale = std::pow(10.0, units[index].decimals);
    rounded = std::round(value / 1000.0 * scale) / scale;
  }
  QString number = QString::number(rounded, 'f', units[index].decimals);
  if (number.contains(QLatin1Char('.'))) {
    while (number.endsWith(QLatin1Char('0'))) number.chop(1);
    if (number.endsWith(QLatin1Char('.'))) number.chop(1);
  }
  if (numbers.decimalPoint() != QLatin1String("."))
    number.replace(QLatin1Char('.'), numbers.decimalPoint());
  return number + QLatin1Char(' ') + QLatin1String(units[index].name);
}

QLocale userNumberLocale() {
  //: The locale whose numbers Tessaro shows (decimal point, digit grouping).
  return QLocale(QCoreApplication::translate("NumberLocale", "en_US"));
}

std::optional<qint64> parseByteCount(const QString& text) {
  static const QRegularExpression pattern(
      QRegularExpression::anchoredPattern(
          QStringLiteral("([0-9]{1,19})(?:\\.([0-9]{1,9}))?(?:([KMGT])(i?B)?)?")),
      QRegularExpression::CaseInsensitiveOption);
  // Case folding would take the Kelvin sign for a K.
  for (const QChar c : text)
    if (c.unicode() > 127) return std::nullopt;
  const QRegularExpressionMatch match = pattern.match(text);
  if (!match.hasMatch()) return std::nullopt;
  const QString unit = match.captured(3).toUpper();
  const QString suffix = match.captured(4).toUpper();
  const qint64 base = suffix == QLatin1String("B") ? 1000 : 1024;
  qint64 multiplier = 1;
  if (!unit.isEmpty()) {
    for (const QChar step : QStringLiteral("KMGT")) {
      multiplier *= base;
      if (step == unit.at(0)) break;
    }
  }
  bool ok = false;
  const qint64 whole = match.captured(1).toLongLong(&ok);
  if (!ok || whole > std::numeric_limits<qint64>::max() / multiplier) return std::nullopt;
  qint64 bytes = whole * multiplier;
  if (const QString fraction = match.captured(2); !fraction.isEmpty()) {
    qint64 scale = 1;
    for (qsizetype i = 0; i < fraction.size(); ++i) scale *= 10;
    // fraction / scale of multiplier, in steps that stay below 2^63.
    const qint64 digits = fraction.toLongLong();
    const qint64 part = multiplier / scale * digits + multiplier % scale * digits / scale;
    if (part > std::numeric_limits<qint64>::max() - bytes) return std::nullopt;
    bytes += part;
  }
  if (bytes <= 0) return std::nullopt;
  return bytes;
}

}  // namespace tessaro
