// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "cli/quick/QuickList.h"

#include <unistd.h>

#include <string_view>
#include <vector>

#include "drives/BlockDeviceJson.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/SysfsBlockTree.h"
#include "drives/linux/ToolAvailability.h"

namespace tessaro {

namespace {

// en, en_GB.UTF-8, en@quot, C, C.UTF-8, POSIX.
bool isEnglish(std::string_view language) {
  const std::string_view name = language.substr(0, language.find_first_of("_.@"));
  return name == "en" || name == "C" || name == "POSIX";
}

}  // namespace

std::optional<QuickList::Asked> QuickList::asked(int count, const char* const* arguments) {
  Asked asked;
  bool list = false, json = false, headings = false;
  for (int i = 0; i < count; ++i) {
    const std::string_view argument = arguments[i];
    bool* seen = argument == "list"                                ? &list
                 : argument == "--json"                            ? &json
                 : argument == "--all"                             ? &asked.all
                 : argument == "-n" || argument == "--noheadings" ? &headings
                                                                   : nullptr;
    // Anything else, or a word twice, is the full command line's to answer.
    if (!seen || *seen) return std::nullopt;
    *seen = true;
  }
  if (!list || !json) return std::nullopt;
  return asked;
}

bool QuickList::speaksEnglish(const Environment& environment) {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = environment(variable);
    if (!value) continue;
    // LANGUAGE lists languages to try in turn; a later one may be found.
    for (std::string_view rest = value; !rest.empty();) {
      const std::size_t end = rest.find(':');
      const std::string_view language = rest.substr(0, end);
      if (!language.empty() && !isEnglish(language)) return false;
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
  }
  return true;
}

std::optional<std::string> QuickList::document(Asked asked) {
  // The full command line names what is missing before its list.
  for (const MissingTools& missing : findMissingTools(isToolInstalled, geteuid() == 0))
    if (missing.required) return std::nullopt;
  std::string failure;
  const std::optional<std::vector<LsblkDevice>> tree = SysfsBlockTree::readAll({}, &failure);
  if (!tree) return std::nullopt;
  std::vector<BlockDevice> devices = linuxBlockDevices(*tree, "/sys");
  if (!asked.all) std::erase_if(devices, [](const BlockDevice& device) { return !device.offered(); });
  return BlockDeviceJson::document(devices, Wording::english());
}

}  // namespace tessaro
