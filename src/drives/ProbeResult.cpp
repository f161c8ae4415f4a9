// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/ProbeResult.h"

#include <QJsonArray>
#include <QJsonValue>
#include <cmath>
#include <string_view>

namespace tessaro {

namespace {

QString gigabytes(uint64_t bytes) { return QString::number(double(bytes) / 1e9, 'f', 2); }

QString megabytes(uint64_t bytes) { return QString::number(double(bytes) / 1e6, 'f', 1); }

// JSON numbers are doubles: counts up to 2^53 (8 PiB) are exact.
constexpr double kLargestExact = 9007199254740992.0;

std::optional<uint64_t> countOf(const QJsonValue& value) {
  if (!value.isDouble()) return std::nullopt;
  const double number = value.toDouble();
  if (!(number >= 0) || number > kLargestExact || std::floor(number) != number) {
    return std::nullopt;
  }
  return uint64_t(number);
}

std::optional<uint64_t> count(const QJsonObject& figures, const char* name) {
  return countOf(figures.value(QLatin1StringView(name)));
}

// A member that is null or a count: nullopt inside for null; none when it is neither.
std::optional<std::optional<uint64_t>> nullableCount(const QJsonObject& figures, const char* name) {
  const QJsonValue value = figures.value(QLatin1StringView(name));
  if (value.isNull()) return std::optional<uint64_t>();
  const auto number = countOf(value);
  if (!number) return std::nullopt;
  return std::optional<uint64_t>(*number);
}

QJsonValue nullable(const std::optional<uint64_t>& value) {
  return value ? QJsonValue(qint64(*value)) : QJsonValue();
}

struct Named {
  const char* name;
  int value;
};

constexpr Named kVerdicts[] = {{"genuine", int(ProbeResult::Verdict::genuine)},
                               {"counterfeit", int(ProbeResult::Verdict::counterfeit)},
                               {"damaged", int(ProbeResult::Verdict::damaged)},
                               {"failed", int(ProbeResult::Verdict::failed)}};
constexpr Named kModes[] = {{"quick", int(ProbeResult::Mode::quick)},
                            {"full", int(ProbeResult::Mode::full)}};
constexpr Named kFailures[] = {{"refusedWrites", int(ProbeResult::Failure::refusedWrites)},
                               {"stoppedStoring", int(ProbeResult::Failure::stoppedStoring)}};

template <size_t N>
QString nameOf(const Named (&names)[N], int value) {
  for (const Named& named : names)
    if (named.value == value) return QLatin1StringView(named.name);
  return {};
}

template <size_t N>
std::optional<int> valueOf(const Named (&names)[N], const QJsonValue& value) {
  if (!value.isString()) return std::nullopt;
  for (const Named& named : names)
    if (value.toString() == QLatin1StringView(named.name)) return named.value;
  return std::nullopt;
}

QJsonObject troubleJson(const ProbeResult::Trouble& trouble) {
  return {{QStringLiteral("requests"), qint64(trouble.requests)},
          {QStringLiteral("bytes"), qint64(trouble.bytes)},
          {QStringLiteral("firstOffset"), nullable(trouble.firstOffset)}};
}

std::optional<ProbeResult::Trouble> troubleFrom(const QJsonValue& value) {
  if (!value.isObject()) return std::nullopt;
  const QJsonObject object = value.toObject();
  const auto requests = count(object, "requests");
  const auto bytes = count(object, "bytes");
  const auto first = nullableCount(object, "firstOffset");
  if (!requests || !bytes || !first || (*requests > 0) != first->has_value()) return std::nullopt;
  return ProbeResult::Trouble{*requests, *bytes, *first};
}

}  // namespace

std::vector<ProbeResult::Region> ProbeResult::goodRegions() const {
  std::vector<Region> good;
  uint64_t from = 0;
  for (const Region& bad : badRegions) {
    if (bad.begin > from) good.push_back({from, bad.begin});
    from = std::max(from, bad.end);
  }
  if (from < claimedBytes) good.push_back({from, claimedBytes});
  return good;
}

QString ProbeResult::verdictLine() const {
  switch (verdict) {
    case Verdict::genuine:
      return QStringLiteral("Genuine: all %1 samples read back").arg(samples);
    case Verdict::counterfeit:
      return QStringLiteral("Counterfeit: only the first %1 GB of %2 GB hold data")
          .arg(gigabytes(usableBytes), gigabytes(claimedBytes));
    case Verdict::damaged: {
      const Region first = badRegions.empty() ? Region{} : badRegions.front();
      return QStringLiteral("Damaged: data read back wrong between %1 MB and %2 MB")
          .arg(megabytes(first.begin), megabytes(first.end));
    }
    case Verdict::failed:
      return failure == Failure::refusedWrites
                 ? QStringLiteral("Failed: the drive refused writes after %1 MB")
                       .arg(megabytes(failedAfterBytes.value_or(0)))
                 : QStringLiteral("Failed: the drive stopped storing data after %1 MB written")
                       .arg(megabytes(failedAfterBytes.value_or(0)));
  }
  return {};
}

QJsonObject ProbeResult::toJson() const {
  QJsonArray regions;
  for (const Region& region : badRegions)
    regions.append(QJsonArray{qint64(region.begin), qint64(region.end)});
  return {
      {QStringLiteral("verdict"), nameOf(kVerdicts, int(verdict))},
      {QStringLiteral("mode"), nameOf(kModes, int(mode))},
      {QStringLiteral("claimedBytes"), qint64(claimedBytes)},
      {QStringLiteral("usableBytes"), qint64(usableBytes)},
      {QStringLiteral("firstBadOffset"), nullable(firstBadOffset)},
      {QStringLiteral("samples"), samples},
      {QStringLiteral("intact"), intact},
      {QStringLiteral("aliased"), aliased},
      {QStringLiteral("lost"), lost},
      {QStringLiteral("badRegions"), regions},
      {QStringLiteral("badRegionsLeftOut"), qint64(badRegionsLeftOut)},
      {QStringLiteral("failure"),
       failure ? QJsonValue(nameOf(kFailures, int(*failure))) : QJsonValue()},
      {QStringLiteral("failedAfterBytes"), nullable(failedAfterBytes)},
      {QStringLiteral("writeErrors"), troubleJson(writeErrors)},
      {QStringLiteral("readErrors"), troubleJson(readErrors)},
      {QStringLiteral("retriedWrites"), qint64(retriedWrites)},
      {QStringLiteral("retriedReads"), qint64(retriedReads)},
      {QStringLiteral("bytesWritten"), qint64(bytesWritten)},
      {QStringLiteral("bytesRead"), qint64(bytesRead)},
      {QStringLiteral("seconds"), double(milliseconds) / 1000.0},
      {QStringLiteral("cacheBytes"), qint64(cacheBytes)},
      {QStringLiteral("cacheRuledOutBytes"), nullable(cacheRuledOutBytes)},
      {QStringLiteral("writeBytesPerSecond"), qint64(writeBytesPerSecond)},
      {QStringLiteral("readBytesPerSecond"), qint64(readBytesPerSecond)},
      {QStringLiteral("speedPartial"), speedPartial},
      {QStringLiteral("tableCleared"), tableCleared},
  };
}

std::optional<ProbeResult> ProbeResult::fromJson(const QJsonObject& figures) {
  ProbeResult result;
  const auto verdict = valueOf(kVerdicts, figures.value(QStringLiteral("verdict")));
  const auto mode = valueOf(kModes, figures.value(QStringLiteral("mode")));
  if (!verdict || !mode) return std::nullopt;
  result.verdict = Verdict(*verdict);
  result.mode = Mode(*mode);
  const char* names[] = {"claimedBytes",
                         "usableBytes",
                         "samples",
                         "intact",
                         "aliased",
                         "lost",
                         "bytesWritten",
                         "bytesRead",
                         "cacheBytes",
                         "retriedWrites",
                         "retriedReads",
                         "badRegionsLeftOut",
                         "writeBytesPerSecond",
                         "readBytesPerSecond"};
  uint64_t values[std::size(names)] = {};
  for (size_t i = 0; i < std::size(names); ++i) {
    const auto value = count(figures, names[i]);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  result.claimedBytes = values[0];
  result.usableBytes = values[1];
  result.samples = qint64(values[2]);
  result.intact = qint64(values[3]);
  result.aliased = qint64(values[4]);
  result.lost = qint64(values[5]);
  result.bytesWritten = values[6];
  result.bytesRead = values[7];
  result.cacheBytes = values[8];
  result.retriedWrites = values[9];
  result.retriedReads = values[10];
  result.badRegionsLeftOut = values[11];
  result.writeBytesPerSecond = values[12];
  result.readBytesPerSecond = values[13];
  const double seconds = figures.value(QStringLiteral("seconds")).toDouble(-1);
  if (!(seconds >= 0) || seconds > 1e9) return std::nullopt;
  result.milliseconds = qint64(std::llround(seconds * 1000.0));

  const auto firstBad = nullableCount(figures, "firstBadOffset");
  const auto failedAfter = nullableCount(figures, "failedAfterBytes");
  const auto ruledOut = nullableCount(figures, "cacheRuledOutBytes");
  const auto writeErrors = troubleFrom(figures.value(QStringLiteral("writeErrors")));
  const auto readErrors = troubleFrom(figures.value(QStringLiteral("readErrors")));
  const QJsonValue speedPartial = figures.value(QStringLiteral("speedPartial"));
  const QJsonValue tableCleared = figures.value(QStringLiteral("tableCleared"));
  const QJsonValue failure = figures.value(QStringLiteral("failure"));
  const QJsonValue regions = figures.value(QStringLiteral("badRegions"));
  if (!firstBad || !failedAfter || !ruledOut || !writeErrors || !readErrors ||
      !speedPartial.isBool() || !tableCleared.isBool() || !regions.isArray()) {
    return std::nullopt;
  }
  result.firstBadOffset = *firstBad;
  result.failedAfterBytes = *failedAfter;
  result.cacheRuledOutBytes = *ruledOut;
  result.writeErrors = *writeErrors;
  result.readErrors = *readErrors;
  result.speedPartial = speedPartial.toBool();
  result.tableCleared = tableCleared.toBool();
  if (!failure.isNull()) {
    const auto named = valueOf(kFailures, failure);
    if (!named) return std::nullopt;
    result.failure = Failure(*named);
  }
  const QJsonArray list = regions.toArray();
  if (size_t(list.size()) > maxRegions) return std::nullopt;
  uint64_t lowest = 0;
  for (const QJsonValue entry : list) {
    const QJsonArray pair = entry.toArray();
    if (!entry.isArray() || pair.size() != 2) return std::nullopt;
    const auto begin = countOf(pair[0]);
    const auto end = countOf(pair[1]);
    // Lowest first, apart from each other, within the claimed size.
    if (!begin || !end || *begin < lowest || *end <= *begin || *end > result.claimedBytes)
      return std::nullopt;
    if (!result.badRegions.empty() && *begin <= result.badRegions.back().end) return std::nullopt;
    result.badRegions.push_back({*begin, *end});
    lowest = *end;
  }

  // The figures have to tell one story.
  if (result.usableBytes > result.claimedBytes) return std::nullopt;
  if (result.intact + result.aliased + result.lost != result.samples) return std::nullopt;
  if (result.failedAfterBytes && *result.failedAfterBytes > result.bytesWritten)
    return std::nullopt;
  if ((result.mode == Mode::full) == result.cacheRuledOutBytes.has_value()) return std::nullopt;
  if (result.firstBadOffset && (*result.firstBadOffset < result.usableBytes ||
                                *result.firstBadOffset >= result.claimedBytes)) {
    return std::nullopt;
  }
  const bool failed = result.verdict == Verdict::failed;
  if (failed != result.failure.has_value() || failed != result.failedAfterBytes.has_value())
    return std::nullopt;
  switch (result.verdict) {
    case Verdict::genuine:
      if (result.usableBytes != result.claimedBytes || result.firstBadOffset ||
          !result.badRegions.empty())
        return std::nullopt;
      break;
    case Verdict::counterfeit:
      if (!result.firstBadOffset) return std::nullopt;
      break;
    case Verdict::damaged:
      if (result.firstBadOffset || result.badRegions.empty() ||
          result.usableBytes != result.badRegions.front().begin)
        return std::nullopt;
      break;
    case Verdict::failed:
      if (result.firstBadOffset || result.usableBytes != 0) return std::nullopt;
      break;
  }
  return result;
}

}  // namespace tessaro
