// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/ProbeResultJson.h"

#include <QJsonArray>
#include <QJsonValue>

namespace tessaro {

namespace {

QJsonValue nullable(const std::optional<uint64_t>& value) {
  return value ? QJsonValue(qint64(*value)) : QJsonValue();
}

QJsonArray regions(const std::vector<ProbeResult::Region>& list) {
  QJsonArray array;
  for (const ProbeResult::Region& region : list)
    array.append(QJsonObject{{QStringLiteral("start"), qint64(region.begin)},
                             {QStringLiteral("end"), qint64(region.end)}});
  return array;
}

QJsonObject trouble(const ProbeResult::Trouble& failed) {
  return {{QStringLiteral("requests"), qint64(failed.requests)},
          {QStringLiteral("bytes"), qint64(failed.bytes)},
          {QStringLiteral("first-offset"), nullable(failed.firstOffset)}};
}

QString verdictName(ProbeResult::Verdict verdict) {
  switch (verdict) {
    case ProbeResult::Verdict::genuine:
      return QStringLiteral("genuine");
    case ProbeResult::Verdict::counterfeit:
      return QStringLiteral("counterfeit");
    case ProbeResult::Verdict::damaged:
      return QStringLiteral("damaged");
    case ProbeResult::Verdict::failed:
      return QStringLiteral("failed");
  }
  return {};
}

}  // namespace

QJsonObject ProbeResultJson::object(const ProbeResult& result, const Drive& drive) {
  QJsonValue failure;
  if (result.failure) {
    failure = *result.failure == ProbeResult::Failure::refusedWrites
                  ? QStringLiteral("refused-writes")
                  : QStringLiteral("stopped-storing");
  }
  return {
      {QStringLiteral("device"), drive.devicePath},
      {QStringLiteral("verdict"), verdictName(result.verdict)},
      {QStringLiteral("mode"),
       result.mode == ProbeResult::Mode::full ? QStringLiteral("full") : QStringLiteral("quick")},
      {QStringLiteral("summary"), QString::fromStdString(result.verdictLine())},
      {QStringLiteral("claimed-bytes"), qint64(result.claimedBytes)},
      {QStringLiteral("usable-bytes"), qint64(result.usableBytes)},
      {QStringLiteral("first-bad-offset"), nullable(result.firstBadOffset)},
      {QStringLiteral("bad-regions"), regions(result.badRegions)},
      {QStringLiteral("bad-regions-left-out"), qint64(result.badRegionsLeftOut)},
      {QStringLiteral("good-regions"), result.verdict == ProbeResult::Verdict::damaged
                                           ? QJsonValue(regions(result.goodRegions()))
                                           : QJsonValue(QJsonArray())},
      {QStringLiteral("failure"), failure},
      {QStringLiteral("failed-after-bytes"), nullable(result.failedAfterBytes)},
      {QStringLiteral("samples"), qint64(result.samples)},
      {QStringLiteral("intact"), qint64(result.intact)},
      {QStringLiteral("aliased"), qint64(result.aliased)},
      {QStringLiteral("lost"), qint64(result.lost)},
      {QStringLiteral("write-errors"), trouble(result.writeErrors)},
      {QStringLiteral("read-errors"), trouble(result.readErrors)},
      {QStringLiteral("retried-writes"), qint64(result.retriedWrites)},
      {QStringLiteral("retried-reads"), qint64(result.retriedReads)},
      {QStringLiteral("bytes-written"), qint64(result.bytesWritten)},
      {QStringLiteral("bytes-read"), qint64(result.bytesRead)},
      {QStringLiteral("seconds"), double(result.milliseconds) / 1000.0},
      {QStringLiteral("cache-bytes"), qint64(result.cacheBytes)},
      {QStringLiteral("cache-ruled-out-bytes"), nullable(result.cacheRuledOutBytes)},
      {QStringLiteral("write-bytes-per-second"), qint64(result.writeBytesPerSecond)},
      {QStringLiteral("read-bytes-per-second"), qint64(result.readBytesPerSecond)},
      {QStringLiteral("speed-partial"), result.speedPartial},
      {QStringLiteral("table-cleared"), result.tableCleared},
  };
}

}  // namespace tessaro
