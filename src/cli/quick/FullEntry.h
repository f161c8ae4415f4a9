// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

namespace tessaro {

// The full command line as a module (tessaro-cli-full.so), which tessaro-cli
// loads for every command line it does not answer itself: one function, by
// this name, that runs it as main would and returns its exit status.
struct FullEntry {
  using Function = int (*)(int argc, char** argv);
  static constexpr const char* name = "tessaro_cli_full";
};

}  // namespace tessaro
