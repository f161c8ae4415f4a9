// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <string_view>

namespace tessaro::helper {

// Whether NAME=VALUE is a language variable the helper passes on to the tools
// it runs as root: LANG or LC_* holding one locale name ("de_DE.UTF-8",
// "sr_RS@latin", "C"), LANGUAGE a colon-separated list of them. Never a path:
// glibc loads a locale named with a slash from that path.
bool isLanguageVariable(std::string_view variable);

}  // namespace tessaro::helper
