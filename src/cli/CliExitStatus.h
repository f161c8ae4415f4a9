// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

namespace tessaro {

// tessaro-cli's exit statuses; --help and the manual page list them.
enum CliExitStatus : int {
  cliSuccess = 0,
  cliToolFailed = 1,  // a tool failed or could not be started; the last line says which
  cliUsage = 2,       // the command line cannot be read; nothing ran
  cliRefused = 3,     // bad name, cluster size or device, or no confirmation; nothing written
  cliAuthorizationFailed = 4,  // administrator rights were refused or could not be asked for
  cliVerificationFailed = 5,   // the tools succeeded but the drive does not hold what was asked
  cliCounterfeit = 6,          // probe: the drive holds less than it claims
  cliWriteError = 74,          // standard output could not be written (EX_IOERR)
  cliCancelled = 130,          // interrupted (Ctrl+C), as shells count it
};

}  // namespace tessaro
