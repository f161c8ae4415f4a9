// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <optional>

#include "drives/DiskTools.h"
#include "drives/Drive.h"
#include "drives/ProbeResult.h"

namespace tessaro {

// What the window and tessaro-cli decide alike around the work that erases a
// drive: whether to ask first, what the question adds to the drive's name,
// and which format to offer once a capacity test has left test data behind.
// Each of them words and shows it in its own way.
class WorkflowPolicy {
 public:
  explicit WorkflowPolicy(const DiskTools& tools) : tools_(tools) {}

  // A request that will be refused erases nothing, so there is nothing to
  // confirm: the job says why it is refused.
  bool asksBeforeFormat(const FormatRequest& request) const;
  // Where there is no capacity test nothing is erased; the job says so.
  bool asksBeforeCapacityTest(const Drive& drive) const;
  // What the user must know before agreeing to a format besides what it
  // writes: that an MBR partition cannot cover all of a big drive. Empty when
  // it can.
  static QString formatNotice(const FormatRequest& request);

  // The format that makes a tested drive usable: over the whole drive when
  // every sample read back, else only within the part from its start that
  // holds data; none for a drive that failed the test.
  struct CapacityFormat {
    FormatRequest request;
    // The request keeps within the part that holds data (its partitionBytes).
    bool withinHeldData = false;
    // The drive refused writes or stopped storing them: no format is offered.
    bool unusable = false;
    // Why the format would be refused; none when it may be offered.
    std::optional<QString> refusal;
  };
  CapacityFormat formatAfterTest(const Drive& drive, const ProbeResult& result,
                                 const QString& label, std::optional<int> clusterBytes) const;

 private:
  const DiskTools& tools_;
};

}  // namespace tessaro
