// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeResult.h"

#include <QJsonValue>
#include <QStringList>
#include <cmath>

namespace tessaro {

namespace {

QString gigabytes(quint64 bytes) { return QString::number(double(bytes) / 1e9, 'f', 2); }

QString mebibytes(quint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 1); }

// JSON numbers are doubles: counts up to 2^53 (8 PiB) are exact.
constexpr double kLargestExact = 9007199254740992.0;

std::optional<quint64> count(const QJsonObject& figures, const char* name) {
  const QJsonValue value = figures.value(QLatin1StringView(name));
  if (!value.isDouble()) return std::nullopt;
  const double number = value.toDouble();
  if (!(number >= 0) || number > kLargestExact || std::floor(number) != number) {
    return std::nullopt;
  }
  return quint64(number);
}

}  // namespace

QString ProbeResult::verdict() const {
  if (genuine()) return QStringLiteral("Genuine: all %1 samples read back").arg(samples);
  return QStringLiteral("Counterfeit: only the first %1 GB of %2 GB hold data")
      .arg(gigabytes(usableBytes), gigabytes(claimedBytes));
}

QStringList ProbeResult::details() const {
  QStringList lines;
  lines << QStringLiteral("Claimed size: %1 bytes").arg(claimedBytes);
  lines << QStringLiteral("Usable capacity: %1 bytes").arg(usableBytes);
  if (firstBadOffset) lines << QStringLiteral("First bad offset: %1").arg(*firstBadOffset);
  lines << QStringLiteral("Samples: %1 (%2 intact, %3 aliased, %4 lost)")
               .arg(samples)
               .arg(intact)
               .arg(aliased)
               .arg(lost);
  lines << QStringLiteral("Written: %1 MiB, read: %2 MiB, in %3 s")
               .arg(mebibytes(bytesWritten), mebibytes(bytesRead),
                    QString::number(double(milliseconds) / 1000.0, 'f', 1));
  lines << (cacheBytes ? QStringLiteral("Write cache: about %1 MiB answered reads of data it "
                                        "did not store")
                             .arg(mebibytes(cacheBytes))
                       : QStringLiteral("Write cache: none found that answers for lost data"));
  if (writeBytesPerSecond && readBytesPerSecond) {
    lines << QStringLiteral("Sequential speed: writing %1 MB/s, reading %2 MB/s")
                 .arg(QString::number(double(writeBytesPerSecond) / 1e6, 'f', 1),
                      QString::number(double(readBytesPerSecond) / 1e6, 'f', 1));
  }
  return lines;
}

QJsonObject ProbeResult::toJson() const {
  return {
      {QStringLiteral("verdict"),
       genuine() ? QStringLiteral("genuine") : QStringLiteral("counterfeit")},
      {QStringLiteral("claimedBytes"), qint64(claimedBytes)},
      {QStringLiteral("usableBytes"), qint64(usableBytes)},
      {QStringLiteral("firstBadOffset"),
       firstBadOffset ? QJsonValue(qint64(*firstBadOffset)) : QJsonValue()},
      {QStringLiteral("samples"), samples},
      {QStringLiteral("intact"), intact},
      {QStringLiteral("aliased"), aliased},
      {QStringLiteral("lost"), lost},
      {QStringLiteral("bytesWritten"), qint64(bytesWritten)},
      {QStringLiteral("bytesRead"), qint64(bytesRead)},
      {QStringLiteral("seconds"), double(milliseconds) / 1000.0},
      {QStringLiteral("cacheBytes"), qint64(cacheBytes)},
      {QStringLiteral("writeBytesPerSecond"), qint64(writeBytesPerSecond)},
      {QStringLiteral("readBytesPerSecond"), qint64(readBytesPerSecond)},
  };
}

std::optional<ProbeResult> ProbeResult::fromJson(const QJsonObject& figures) {
  const QString verdict = figures.value(QStringLiteral("verdict")).toString();
  if (verdict != QLatin1StringView("genuine") && verdict != QLatin1StringView("counterfeit")) {
    return std::nullopt;
  }
  const char* names[] = {"claimedBytes",      "usableBytes",
                         "samples",           "intact",
                         "aliased",           "lost",
                         "bytesWritten",      "bytesRead",
                         "cacheBytes",        "writeBytesPerSecond",
                         "readBytesPerSecond"};
  quint64 values[std::size(names)] = {};
  for (size_t i = 0; i < std::size(names); ++i) {
    const auto value = count(figures, names[i]);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  ProbeResult result;
  result.claimedBytes = values[0];
  result.usableBytes = values[1];
  result.samples = qint64(values[2]);
  result.intact = qint64(values[3]);
  result.aliased = qint64(values[4]);
  result.lost = qint64(values[5]);
  result.bytesWritten = values[6];
  result.bytesRead = values[7];
  result.cacheBytes = values[8];
  result.writeBytesPerSecond = values[9];
  result.readBytesPerSecond = values[10];
  const double seconds = figures.value(QStringLiteral("seconds")).toDouble(-1);
  if (!(seconds >= 0) || seconds > 1e9) return std::nullopt;
  result.milliseconds = qint64(std::llround(seconds * 1000.0));
  const QJsonValue firstBad = figures.value(QStringLiteral("firstBadOffset"));
  if (!firstBad.isNull()) {
    const auto offset = count(figures, "firstBadOffset");
    if (!offset) return std::nullopt;
    result.firstBadOffset = offset;
  }
  // The figures have to tell one story.
  if (result.usableBytes > result.claimedBytes) return std::nullopt;
  if (result.intact + result.aliased + result.lost != result.samples) return std::nullopt;
  if ((verdict == QLatin1StringView("genuine")) != result.genuine()) return std::nullopt;
  if (result.genuine() && result.usableBytes != result.claimedBytes) return std::nullopt;
  if (result.firstBadOffset && (*result.firstBadOffset < result.usableBytes ||
                                *result.firstBadOffset >= result.claimedBytes)) {
    return std::nullopt;
  }
  return result;
}

}  // namespace tessaro
