// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// tessaro-cli as the user starts it: `list --json` in English is answered
// here, by a program as small as lsblk; every other command line goes
// unchanged to the full command line, a module (tessaro-cli-full.so) loaded
// only then, in this same process.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/CliExitStatus.h"
#include "cli/CliOutputText.h"
#include "cli/quick/FullEntry.h"
#include "cli/quick/QuickCommandLine.h"
#include "cli/quick/QuickList.h"

using namespace tessaro;

namespace {

// name beside this program in a build tree, else where it is installed.
std::string privateFile(const char* name) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string beside(self, std::size_t(length));
    beside = beside.substr(0, beside.rfind('/') + 1) + name;
    if (access(beside.c_str(), F_OK) == 0) return beside;
  }
  return std::string(TESSARO_CLI_PRIVATE_DIR "/") + name;
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
  const std::optional<QuickCommandLine::Asked> asked = QuickCommandLine::asked(argc - 1, argv + 1);
  if (asked && QuickCommandLine::speaksEnglish(std::getenv)) {
    if (const std::optional<std::string> text = QuickList::document(asked->all)) {
      int errorNumber = 0;
      switch (writeOut(*text, errorNumber)) {
        case Written::all:
          return cliSuccess;
        case Written::part: {
          // A reader that went away ends this as it ends any other program.
          if (errorNumber == EPIPE) {
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
          }
          std::string said = kCannotWriteOutput;
          said.replace(said.find("%1"), 2, std::strerror(errorNumber));
          std::fprintf(stderr, "tessaro-cli: %s\n", said.c_str());
          return cliWriteError;
        }
        case Written::nothing:
          // The full command line says why, in its words, as it always has.
          break;
      }
    }
  }
  const std::string full = privateFile("tessaro-cli-full.so");
  void* module = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
  const auto entry =
      module ? reinterpret_cast<FullEntry::Function>(dlsym(module, FullEntry::name)) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "tessaro-cli: cannot load %s: %s\n", full.c_str(), dlerror());
    return cliToolFailed;
  }
  return entry(argc, argv);
}
