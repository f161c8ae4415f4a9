// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// tessaro-cli as the user starts it: `list --json` is answered here, in a
// program as small as lsblk, and every other command line goes unchanged to
// the full command line (tessaro-cli-full), which this program becomes.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/CliExitStatus.h"
#include "cli/CliOutputText.h"
#include "cli/quick/QuickList.h"

using namespace tessaro;

namespace {

// Beside this program in a build tree, else where it is installed.
std::string fullProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = self.parent_path() / "tessaro-cli-full";
    if (access(beside.c_str(), X_OK) == 0) return beside;
  }
  return TESSARO_CLI_FULL_INSTALL_PATH;
}

enum class Written { all, nothing, part };

// text on standard output; errorNumber says why not all of it went.
Written writeOut(const std::string& text, int& errorNumber) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      errorNumber = wrote < 0 ? errno : EIO;
      return done == 0 ? Written::nothing : Written::part;
    }
    done += std::size_t(wrote);
  }
  return Written::all;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<QuickList::Asked> asked = QuickList::asked(argc - 1, argv + 1);
  if (asked && QuickList::speaksEnglish(std::getenv)) {
    if (const std::optional<std::string> text = QuickList::document(*asked)) {
      int errorNumber = 0;
      switch (writeOut(*text, errorNumber)) {
        case Written::all:
          return cliSuccess;
        case Written::part:
          // A reader that went away ends this as it ends any other program.
          if (errorNumber == EPIPE) {
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
          }
          std::fprintf(stderr, "tessaro-cli: %s\n",
                       withArguments(kCannotWriteOutput, {std::strerror(errorNumber)}).c_str());
          return cliWriteError;
        case Written::nothing:
          // The full command line says why, in its words, as it always has.
          break;
      }
    }
  }
  const std::string full = fullProgram();
  execv(full.c_str(), argv);
  std::fprintf(stderr, "tessaro-cli: cannot start %s: %s\n", full.c_str(), std::strerror(errno));
  return cliToolFailed;
}
