// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeResult.h"

#include <QRegularExpression>
#include <QStringList>

namespace tessaro {

namespace {

QString gigabytes(quint64 bytes) { return QString::number(double(bytes) / 1e9, 'f', 2); }

QString mebibytes(quint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 1); }

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
  return lines;
}

std::optional<ProbeResult> ProbeResult::fromLines(const QStringList& lines) {
  static const QRegularExpression claimedLine(
      QStringLiteral(R"(^Claimed size: (\d{1,19}) bytes$)"));
  static const QRegularExpression usableLine(
      QStringLiteral(R"(^Usable capacity: (\d{1,19}) bytes$)"));
  static const QRegularExpression firstBadLine(QStringLiteral(R"(^First bad offset: (\d{1,19})$)"));
  static const QRegularExpression samplesLine(QStringLiteral(
      R"(^Samples: (\d{1,12}) \((\d{1,12}) intact, (\d{1,12}) aliased, (\d{1,12}) lost\)$)"));
  std::optional<quint64> claimed, usable;
  ProbeResult result;
  bool saysGenuine = false, saysCounterfeit = false;
  const auto number = [](const QRegularExpressionMatch& match, int group) {
    bool ok = false;
    const quint64 value = match.captured(group).toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
  };
  for (const QString& line : lines) {
    if (auto match = claimedLine.match(line); match.hasMatch()) {
      claimed = number(match, 1);
    } else if (match = usableLine.match(line); match.hasMatch()) {
      usable = number(match, 1);
    } else if (match = firstBadLine.match(line); match.hasMatch()) {
      result.firstBadOffset = number(match, 1);
      if (!result.firstBadOffset) return std::nullopt;
    } else if (match = samplesLine.match(line); match.hasMatch()) {
      result.samples = match.captured(1).toLongLong();
      result.intact = match.captured(2).toLongLong();
      result.aliased = match.captured(3).toLongLong();
      result.lost = match.captured(4).toLongLong();
    } else if (line.startsWith(QLatin1String("Genuine: "))) {
      saysGenuine = true;
    } else if (line.startsWith(QLatin1String("Counterfeit: "))) {
      saysCounterfeit = true;
    }
  }
  if (!claimed || !usable || *usable > *claimed || saysGenuine == saysCounterfeit) {
    return std::nullopt;
  }
  result.claimedBytes = *claimed;
  result.usableBytes = *usable;
  if (saysGenuine != result.genuine()) return std::nullopt;
  if (result.firstBadOffset &&
      (*result.firstBadOffset < result.usableBytes || *result.firstBadOffset >= *claimed)) {
    return std::nullopt;
  }
  if (result.genuine() && result.usableBytes != result.claimedBytes) return std::nullopt;
  return result;
}

}  // namespace tessaro
