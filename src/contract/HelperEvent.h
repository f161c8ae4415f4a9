// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "contract/DriveFacts.h"
#include "contract/FailureEvent.h"
#include "contract/FinishedEvent.h"
#include "contract/FormatVerdict.h"
#include "contract/LinesEvent.h"
#include "contract/ProbeResult.h"
#include "contract/ProgressEvent.h"
#include "contract/StepEvent.h"
#include "contract/WritingEvent.h"

namespace tessaro::contract {

// One typed event of tessaro-helper, the part of its output the application
// reads. The helper writes each event as an event frame of its own, among the
// text frames that are for people (HelperContract.h, FrameWriter):
// HelperContract::eventPrefix, then one compact JSON object, its members in
// name order. Member "event" names the kind
// (step, writing, progress, result, failure; lines and finished in a run over
// several disks; a result's "verb" names the
// verb whose result it is), "disk" the kernel name of the disk the event
// concerns when the helper tells it, and the payload's codec owns every
// other member. The info verb's result is the exception: its facts take the
// name "disk" for an object of their own, and it tells its disk there.
//
// Reading is strict: a line that is no JSON object, names no known kind (or
// verb), lacks a member of its kind or holds one of another type or out of
// range, or a "disk" that is no kernel name, is no event. Members no kind
// knows are left alone.
class HelperEvent {
 public:
  using Payload = std::variant<StepEvent, WritingEvent, ProgressEvent, FailureEvent, FormatVerdict,
                               DriveFacts, ProbeResult, LinesEvent, FinishedEvent>;

  // disk is left out for DriveFacts, which tells its own.
  HelperEvent(Payload payload, std::optional<std::string> disk = std::nullopt);

  const Payload& payload() const { return payload_; }
  // The payload as T; none when it is another.
  template <typename T>
  const T* get() const {
    return std::get_if<T>(&payload_);
  }
  const std::optional<std::string>& disk() const { return disk_; }
  // Whether it is a verb's result event, whichever verb's.
  bool isResult() const;

  // The event's JSON, compact, members in name order.
  std::string json() const;
  // The line the helper prints (without its line feed): eventPrefix and json().
  std::string line() const;

  // Whether a line of output is meant as an event, well formed or not.
  static bool isEventLine(std::string_view line);
  // The event a line carries; none for any other line, and for an event line
  // that is not as above.
  static std::optional<HelperEvent> fromLine(std::string_view line);
  // The event of an event line's JSON (what follows eventPrefix), the same way.
  static std::optional<HelperEvent> fromJson(std::string_view json);
  // Whether text can be a kernel device name: not empty, no "/", not "." or "..".
  static bool isKernelName(std::string_view text);

  bool operator==(const HelperEvent&) const = default;

 private:
  Payload payload_;
  std::optional<std::string> disk_;
};

}  // namespace tessaro::contract
