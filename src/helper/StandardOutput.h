// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <string_view>

namespace tessaro::helper {

// The helper's standard output, where everything it tells goes: the start
// marker, then frames (FrameWriter). Each line is handed to the kernel with
// one write where it can, every write is checked for its full count (what
// is left is written again, as is a write that a signal interrupted), and
// a write that fails is remembered: the caller may have lost what the run
// told, and the run may not end as a success. Plain C++ and POSIX.
class StandardOutput {
 public:
  // Writes bytes (whole lines, or the start of one); false when they could
  // not all be written.
  static bool write(std::string_view bytes);

  // The error of the first write that failed; 0 while none has.
  static int lostError();
};

}  // namespace tessaro::helper
