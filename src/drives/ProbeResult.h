// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

#include "contract/ProbeResult.h"

namespace tessaro {

// What a capacity probe found: the figures of the helper's result event
// (contract::ProbeResult, which reads them strictly), and its verdict in words.
struct ProbeResult : contract::ProbeResult {
  // The verdict in the same words in every language, as the command line's
  // JSON summary and the helper's own log give it: "Genuine: all N samples
  // read back", "Counterfeit: only the first X GB of Y GB hold data",
  // "Damaged: data read back wrong between X MB and Y MB", "Failed: the
  // drive refused writes after N MB", "Failed: the drive stopped storing data
  // after N MB written".
  std::string verdictLine() const;

  // The figures as the result event carries them, and back.
  const contract::ProbeResult& wire() const { return *this; }
  static ProbeResult fromWire(const contract::ProbeResult& wire) { return ProbeResult{wire}; }
};

}  // namespace tessaro
