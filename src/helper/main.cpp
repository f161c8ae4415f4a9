// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "contract/HelperContract.h"
#include "helper/BatchRun.h"
#include "helper/CancelWatch.h"
#include "helper/HelperStop.h"
#include "helper/HelperVerbs.h"
#include "helper/LanguageVariable.h"
#include "helper/LoopBacking.h"
#include "helper/StandardOutput.h"
#include "helper/VerbRun.h"

using namespace tessaro;
using namespace tessaro::helper;

namespace {

// Root runs tools with a known environment: the system's directories for
// PATH, and the caller's language only, when it looks like one.
void keepOnlyLanguage() {
  std::vector<std::string> kept;
  for (char** entry = environ; *entry; ++entry) {
    if (isLanguageVariable(*entry)) kept.emplace_back(*entry);
  }
  clearenv();
  for (const std::string& variable : kept) {
    const std::size_t equals = variable.find('=');
    setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
  }
  setenv("PATH", "/usr/sbin:/usr/bin:/sbin:/bin", 1);
}

// One verb's run over one disk (VERB ARGUMENT...): how it ends.
int runVerb(const std::vector<std::string>& words) {
  const std::string verb = words.empty() ? std::string() : words.front();
  const std::vector<std::string> args(words.begin() + std::min<std::size_t>(words.size(), 1),
                                      words.end());
  try {
    if (verb == HelperContract::formatVerb) return endRun(formatVerb(args));
    if (verb == HelperContract::checkVerb) return endRun(checkVerb(args));
    if (verb == HelperContract::infoVerb) return endRun(infoVerb(args));
    if (verb == HelperContract::probeVerb) return endRun(probeVerb(args));
    return sayFailure(HelperContract::usage,
                      std::string("Usage: tessaro-helper format DISK NAME CLUSTER [SIZE] | check "
                                  "TARGET | info DISK [PARTITION] | probe DISK | batch VERB "
                                  "DISK... -- [ARGUMENT...]"));
  } catch (const HelperStop& stop) {
    return stop.status();
  } catch (const std::exception& error) {
    return sayFailure(HelperContract::toolFailed, std::string("Failed: ") + error.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A caller that goes away must not end a format half done by its pipe.
  signal(SIGPIPE, SIG_IGN);
  // Nor by its terminal: pkexec runs the helper in the caller's foreground
  // process group, where Ctrl+C, Ctrl+\, Ctrl+Z and a hang-up would end or
  // stop it mid-write with the disk's lock let go. The helper leaves the
  // caller's session where it can (not when it leads a process group, as
  // pkexec started from a shell does) and ignores the terminal's signals
  // either way; the caller cancels with the cancel line, or with SIGTERM.
  for (const int terminalSignal : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTTIN, SIGTTOU})
    signal(terminalSignal, SIG_IGN);
  setsid();
  CancelWatch::watchTermination();
  // Everything the helper says goes to standard output; what reaches
  // standard error comes from pkexec.
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    if (null != STDERR_FILENO) close(null);
  }
  // Whose files a loop device may serve; pkexec says who asked.
  rememberRequestingUser(std::getenv("PKEXEC_UID"));
  keepOnlyLanguage();

  // A caller that was not told the helper began is told nothing more: the
  // run does nothing.
  if (!StandardOutput::write(std::string(HelperContract::startMarker) + '\n')) {
    return sayFailure(HelperContract::outputLost, outputLostLine() + "; nothing was run.");
  }
  std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  if (!args.empty() && args.front() == HelperContract::batchVerb)
    return endRun(BatchRun::run({args.begin() + 1, args.end()}, runVerb));
  return runVerb(args);
}
