// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/quick/FullEntry.h"

#include "cli/CliMain.h"

extern "C" __attribute__((visibility("default"))) int tessaro_cli_full(int argc, char** argv) {
  return tessaro::cliMain(argc, argv);
}
