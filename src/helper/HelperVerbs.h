// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>
#include <vector>

namespace tessaro::helper {

// One function per verb; each takes the words after the verb and returns the
// process's exit status (HelperContract::Status, or a tool's own below 64).
// Stopping early throws HelperStop after the failure event and the line that
// says why.
int formatVerb(const std::vector<std::string>& args);
int checkVerb(const std::vector<std::string>& args);
int infoVerb(const std::vector<std::string>& args);
int probeVerb(const std::vector<std::string>& args);

}  // namespace tessaro::helper
