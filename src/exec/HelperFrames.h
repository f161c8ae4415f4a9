// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <vector>

#include "contract/FrameReader.h"
#include "exec/PrivilegedRunner.h"

namespace tessaro {

// The helper's frames (FrameReader) in the application's terms, handed on in
// the order they came: a text frame, or a line the helper did not frame, as a
// line for people; an event frame as the event the contract's codec reads in
// it. An event frame the codec refuses is dropped, never shown. The one place
// where the application turns what the helper prints into its terms.
class HelperFrames {
 public:
  explicit HelperFrames(PrivilegedOutput output) : output_(std::move(output)) {}

  void deliver(const std::vector<contract::FrameReader::Frame>& frames) const;

 private:
  PrivilegedOutput output_;
};

}  // namespace tessaro
