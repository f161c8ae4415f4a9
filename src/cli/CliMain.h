// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

namespace tessaro {

// The whole command line, as its main runs it: the exit status.
int cliMain(int argc, char** argv);

}  // namespace tessaro
