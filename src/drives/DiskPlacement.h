// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

namespace tessaro {

// What a platform tool says about where a disk sits.
struct DiskPlacement {
  std::string bus;  // compared after lower-casing; empty when unknown
  bool removable = false;
  bool ejectable = false;
  bool internal = false;
};

// Whether a lower-case bus name marks a disk as external: usb, thunderbolt,
// firewire, sd.
bool isExternalBus(const std::string& bus);

// A disk is offered when it is removable or ejectable, sits on an external
// bus, or names no bus and does not say it is internal.
bool isExternalOrRemovable(const DiskPlacement& placement);

}  // namespace tessaro
