// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

namespace tessaro {

// tessaro-cli's exit statuses; --help and the manual page list them. Each
// means the same for every command; check's findings are fsck(8)'s (0, 1, 4),
// and so a tool that failed is fsck's operational error (8), for every command.
enum CliExitStatus : int {
  cliSuccess = 0,          // done; check: no errors were found
  cliErrorsCorrected = 1,  // check: errors were found and corrected
  cliUsage = 2,            // the command line cannot be read; nothing ran
  cliRefused =
      3,  // bad name, cluster size or device, a drive gone or not confirmed; nothing written
  cliErrorsLeft = 4,           // check: errors were found and left in the file system
  cliVerificationFailed = 5,   // the tools succeeded but the drive does not hold what was asked
  cliCounterfeit = 6,          // probe: the drive holds less than it claims
  cliAuthorizationFailed = 7,  // administrator rights were refused or could not be asked for
  cliToolFailed = 8,    // a tool failed or could not be started, or the drive stopped responding
  cliDamaged = 9,       // probe: the drive loses data in places and keeps it around them
  cliDriveFailed = 10,  // probe: the drive refused writes, or stopped storing them
  // A batch whose drives failed in different ways; each drive's own status is
  // in its summary and its JSON entry. Clear of the statuses of one kind
  // each, which count up from 1 and may grow, of sysexits' 64 to 78 and of
  // the signals' 128 and up.
  cliMixedFailures = 20,
  cliWriteError = 74,  // standard output could not be written (EX_IOERR)
  // Stopped by a signal: 128 and its number, as shells count it (130 for
  // Ctrl+C, 143 for SIGTERM, 129 for a hang-up).
  cliSignalled = 128,
  cliCancelled = cliSignalled + 2,
};

}  // namespace tessaro
