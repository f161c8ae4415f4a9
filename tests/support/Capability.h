// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string>

namespace tessaro::test {

// What a test needs from the machine, and why it cannot have it here: each
// returns an empty text when the machine gives it, otherwise the reason a test
// skips with (no root, a container without loop devices or FUSE, a kernel or
// seccomp profile that refuses mount namespaces). Each is found out once.
std::string missingLoopDevices();
std::string missingFuse();
std::string missingMountNamespace();

}  // namespace tessaro::test
