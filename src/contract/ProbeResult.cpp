// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/ProbeResult.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

#include "contract/MemberReader.h"

namespace tessaro::contract {

namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

// Longer than any drive takes: about 30 years.
constexpr double kLongestSeconds = 1e9;

constexpr const char* kVerdicts[] = {"genuine", "counterfeit", "damaged", "failed"};
constexpr const char* kModes[] = {"quick", "full"};
constexpr const char* kFailures[] = {"refusedWrites", "stoppedStoring"};

// The index of name among names; none when it is none of them.
template <size_t N>
std::optional<int> indexOf(const char* const (&names)[N], const std::string& name) {
  for (size_t i = 0; i < N; ++i)
    if (name == names[i]) return int(i);
  return std::nullopt;
}

Json count(std::uint64_t value) { return Json(std::int64_t(value)); }

Json countOrNull(const std::optional<std::uint64_t>& value) {
  return value ? count(*value) : Json();
}

std::uint64_t readCount(MemberReader& in, const char* name) {
  return std::uint64_t(in.whole(name, 0, kMost));
}

std::optional<std::uint64_t> readCountOrNull(MemberReader& in, const char* name) {
  const std::optional<std::int64_t> value = in.wholeOrNull(name, 0, kMost);
  if (!value) return std::nullopt;
  return std::uint64_t(*value);
}

Json troubleJson(const ProbeResult::Trouble& trouble) {
  Json members;
  members.set("requests", count(trouble.requests));
  members.set("bytes", count(trouble.bytes));
  members.set("firstOffset", countOrNull(trouble.firstOffset));
  return members;
}

// A trouble's figures, spoiling in when they are not there or disagree.
ProbeResult::Trouble readTrouble(MemberReader& in, const char* name) {
  const Json* members = in.objectOrNull(name);
  if (!members) {
    in.spoil();  // null is no trouble's figures
    return {};
  }
  MemberReader figures(*members);
  ProbeResult::Trouble trouble{readCount(figures, "requests"), readCount(figures, "bytes"),
                               readCountOrNull(figures, "firstOffset")};
  if (!figures.ok() || (trouble.requests > 0) != trouble.firstOffset.has_value()) in.spoil();
  return trouble;
}

// The figures have to tell one story.
bool consistent(const ProbeResult& result) {
  using Verdict = ProbeResult::Verdict;
  if (result.usableBytes > result.claimedBytes) return false;
  // Each count is from 0 (as read); compared so that no sum can overflow.
  if (result.intact > result.samples || result.aliased > result.samples - result.intact ||
      result.lost != result.samples - result.intact - result.aliased)
    return false;
  if (result.failedAfterBytes && *result.failedAfterBytes > result.bytesWritten) return false;
  if ((result.mode == ProbeResult::Mode::full) == result.cacheRuledOutBytes.has_value())
    return false;
  if (result.firstBadOffset && (*result.firstBadOffset < result.usableBytes ||
                                *result.firstBadOffset >= result.claimedBytes))
    return false;
  const bool failed = result.verdict == Verdict::failed;
  if (failed != result.failure.has_value() || failed != result.failedAfterBytes.has_value())
    return false;
  switch (result.verdict) {
    case Verdict::genuine:
      return result.usableBytes == result.claimedBytes && !result.firstBadOffset &&
             result.badRegions.empty();
    case Verdict::counterfeit:
      return result.firstBadOffset.has_value();
    case Verdict::damaged:
      return !result.firstBadOffset && !result.badRegions.empty() &&
             result.usableBytes == result.badRegions.front().begin;
    case Verdict::failed:
      return !result.firstBadOffset && result.usableBytes == 0;
  }
  return false;
}

}  // namespace

std::vector<ProbeResult::Region> ProbeResult::goodRegions() const {
  std::vector<Region> good;
  std::uint64_t from = 0;
  for (const Region& bad : badRegions) {
    if (bad.begin > from) good.push_back({from, bad.begin});
    from = std::max(from, bad.end);
  }
  if (from < claimedBytes) good.push_back({from, claimedBytes});
  return good;
}

int ProbeResult::exitStatus() const {
  switch (verdict) {
    case Verdict::genuine:
      return HelperContract::success;
    case Verdict::counterfeit:
      return HelperContract::counterfeit;
    case Verdict::damaged:
      return HelperContract::damaged;
    case Verdict::failed:
      return HelperContract::driveFailed;
  }
  return HelperContract::toolFailed;
}

void ProbeResult::writeTo(Json& members) const {
  Json::Array regions;
  for (const Region& region : badRegions)
    regions.emplace_back(Json::Array{count(region.begin), count(region.end)});
  members.set("verdict", kVerdicts[int(verdict)]);
  members.set("mode", kModes[int(mode)]);
  members.set("claimedBytes", count(claimedBytes));
  members.set("usableBytes", count(usableBytes));
  members.set("firstBadOffset", countOrNull(firstBadOffset));
  members.set("samples", samples);
  members.set("intact", intact);
  members.set("aliased", aliased);
  members.set("lost", lost);
  members.set("badRegions", std::move(regions));
  members.set("badRegionsLeftOut", count(badRegionsLeftOut));
  members.set("failure", failure ? Json(kFailures[int(*failure)]) : Json());
  members.set("failedAfterBytes", countOrNull(failedAfterBytes));
  members.set("writeErrors", troubleJson(writeErrors));
  members.set("readErrors", troubleJson(readErrors));
  members.set("retriedWrites", count(retriedWrites));
  members.set("retriedReads", count(retriedReads));
  members.set("bytesWritten", count(bytesWritten));
  members.set("bytesRead", count(bytesRead));
  members.set("seconds", Json::wholeOrReal(double(milliseconds) / 1000.0));
  members.set("cacheBytes", count(cacheBytes));
  members.set("cacheRuledOutBytes", countOrNull(cacheRuledOutBytes));
  members.set("writeBytesPerSecond", count(writeBytesPerSecond));
  members.set("readBytesPerSecond", count(readBytesPerSecond));
  members.set("speedPartial", speedPartial);
  members.set("tableCleared", tableCleared);
}

std::optional<ProbeResult> ProbeResult::readFrom(const Json& members) {
  MemberReader in(members);
  ProbeResult result;
  const std::optional<int> verdict = indexOf(kVerdicts, in.text("verdict"));
  const std::optional<int> mode = indexOf(kModes, in.text("mode"));
  if (!verdict || !mode) return std::nullopt;
  result.verdict = Verdict(*verdict);
  result.mode = Mode(*mode);
  result.claimedBytes = readCount(in, "claimedBytes");
  result.usableBytes = readCount(in, "usableBytes");
  result.firstBadOffset = readCountOrNull(in, "firstBadOffset");
  result.samples = in.whole("samples", 0, kMost);
  result.intact = in.whole("intact", 0, kMost);
  result.aliased = in.whole("aliased", 0, kMost);
  result.lost = in.whole("lost", 0, kMost);
  result.badRegionsLeftOut = readCount(in, "badRegionsLeftOut");
  const Json* failure = members.find("failure");
  if (!failure) return std::nullopt;
  if (!failure->isNull()) {
    const std::optional<int> named = indexOf(kFailures, in.text("failure"));
    if (!named) return std::nullopt;
    result.failure = Failure(*named);
  }
  result.failedAfterBytes = readCountOrNull(in, "failedAfterBytes");
  result.writeErrors = readTrouble(in, "writeErrors");
  result.readErrors = readTrouble(in, "readErrors");
  result.retriedWrites = readCount(in, "retriedWrites");
  result.retriedReads = readCount(in, "retriedReads");
  result.bytesWritten = readCount(in, "bytesWritten");
  result.bytesRead = readCount(in, "bytesRead");
  result.milliseconds = std::llround(in.number("seconds", 0, kLongestSeconds) * 1000.0);
  result.cacheBytes = readCount(in, "cacheBytes");
  result.cacheRuledOutBytes = readCountOrNull(in, "cacheRuledOutBytes");
  result.writeBytesPerSecond = readCount(in, "writeBytesPerSecond");
  result.readBytesPerSecond = readCount(in, "readBytesPerSecond");
  result.speedPartial = in.flag("speedPartial");
  result.tableCleared = in.flag("tableCleared");
  const Json* regions = members.find("badRegions");
  if (!in.ok() || !regions || !regions->array() || regions->array()->size() > maxRegions)
    return std::nullopt;
  for (const Json& entry : *regions->array()) {
    const Json::Array* pair = entry.array();
    if (!pair || pair->size() != 2) return std::nullopt;
    const std::optional<std::int64_t> begin = (*pair)[0].integer();
    const std::optional<std::int64_t> end = (*pair)[1].integer();
    // Lowest first, apart from each other, within the claimed size.
    if (!begin || !end || *begin < 0 || *end <= *begin || std::uint64_t(*end) > result.claimedBytes)
      return std::nullopt;
    if (!result.badRegions.empty() && std::uint64_t(*begin) <= result.badRegions.back().end)
      return std::nullopt;
    result.badRegions.push_back({std::uint64_t(*begin), std::uint64_t(*end)});
  }
  if (!consistent(result)) return std::nullopt;
  return result;
}

}  // namespace tessaro::contract
