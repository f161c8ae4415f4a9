// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <optional>
#include <string>

namespace tessaro {

// `tessaro-cli list --json` as the full command line writes it in English,
// read from the kernel and udev as lsblk reads them, without Qt.
class QuickList {
 public:
  // The document, or none where the full command line must answer: a
  // required tool is missing (it names it first) or a device only lsblk
  // can tell.
  static std::optional<std::string> document(bool all);
};

}  // namespace tessaro
