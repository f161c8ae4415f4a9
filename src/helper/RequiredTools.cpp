// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/RequiredTools.h"

#include <string>
#include <vector>

#include "contract/HelperContract.h"
#include "helper/VerbRun.h"

namespace tessaro::helper {

void requireTools(const HelperTools& tools) {
  const std::vector<std::string> missing = tools.missingLines();
  if (missing.empty()) return;
  std::string lines = missing.front();
  for (std::size_t i = 1; i < missing.size(); ++i) lines += '\n' + missing[i];
  stop(HelperContract::toolMissing, lines, tools.missing().front());
}

}  // namespace tessaro::helper
