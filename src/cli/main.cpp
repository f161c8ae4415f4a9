// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/CliMain.h"

int main(int argc, char** argv) { return tessaro::cliMain(argc, argv); }
