#include "drives/ProbeResult.h"

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

}  // namespace tessaro
