// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "contract/ProbeResult.h"

namespace tessaro {

// What a capacity probe found.
struct ProbeResult {
  // The verdicts, modes, failures, regions and troubles of the result event.
  using Verdict = contract::ProbeResult::Verdict;
  using Mode = contract::ProbeResult::Mode;
  using Failure = contract::ProbeResult::Failure;
  using Region = contract::ProbeResult::Region;
  using Trouble = contract::ProbeResult::Trouble;

  Verdict verdict = Verdict::genuine;
  Mode mode = Mode::quick;
  uint64_t claimedBytes = 0;
  qint64 samples = 0;  // blocks written and read back (every block in a full test)
  qint64 intact = 0;
  qint64 aliased = 0;  // held, or shared their place with, another offset's block
  qint64 lost = 0;     // read back as something else, or refused by the drive
  // Where the stretch from the start that holds data ends: the claimed size
  // for a genuine drive; for a counterfeit, the end of the last intact block
  // below the first bad one; for a damaged drive, the start of the first bad
  // region; 0 for a failed one.
  uint64_t usableBytes = 0;
  std::optional<uint64_t> firstBadOffset;  // counterfeit: the lowest sample that did not hold
  // damaged, and a full test's map: where data was lost, lowest first, at
  // most maxRegions of them (badRegionsLeftOut more were not kept).
  static constexpr size_t maxRegions = 64;
  std::vector<Region> badRegions;
  uint64_t badRegionsLeftOut = 0;
  // failed: how, and how many bytes had been written when it began.
  std::optional<Failure> failure;
  std::optional<uint64_t> failedAfterBytes;
  // Requests that failed twice, and those that failed once and went through
  // when tried again.
  Trouble writeErrors;
  Trouble readErrors;
  uint64_t retriedWrites = 0;
  uint64_t retriedReads = 0;
  uint64_t bytesWritten = 0;
  uint64_t bytesRead = 0;
  qint64 milliseconds = 0;
  // The write cache found answering reads of what it did not store: about
  // this many bytes; 0 when none was found.
  uint64_t cacheBytes = 0;
  // Quick test: no lying write cache of up to this many bytes can have hid
  // missing capacity (what was written after the first block read back).
  // None for a full test, which writes every block.
  std::optional<uint64_t> cacheRuledOutBytes = 0;
  // Sequential speeds from acknowledged writes and reads only; 0 when there
  // was too little to time. speedPartial: some of the timed writes were refused.
  uint64_t writeBytesPerSecond = 0;
  uint64_t readBytesPerSecond = 0;
  bool speedPartial = false;
  // Whether the partition table the test wrote over is gone, as far as the
  // kernel knows: false when clearing it or telling the kernel failed.
  bool tableCleared = true;

  bool genuine() const { return verdict == Verdict::genuine; }
  // Every region of the claimed size that is no bad region.
  std::vector<Region> goodRegions() const;

  // The verdict in the same words in every language, as the command line's
  // JSON summary and the helper's own log give it: "Genuine: all N samples
  // read back", "Counterfeit: only the first X GB of Y GB hold data",
  // "Damaged: data read back wrong between X MB and Y MB", "Failed: the
  // drive refused writes after N MB", "Failed: the drive stopped storing data
  // after N MB written".
  QString verdictLine() const;

  // The figures as the helper's result event carries them
  // (contract::ProbeResult, which reads them strictly), and back.
  contract::ProbeResult wire() const;
  static ProbeResult fromWire(const contract::ProbeResult& wire);
};

}  // namespace tessaro
