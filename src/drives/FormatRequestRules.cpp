// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/FormatRequestRules.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "contract/Utf8Text.h"
#include "drives/ClusterOption.h"
#include "drives/Fat32Layout.h"
#include "drives/LogicalSectorSize.h"
#include "exec/VisibleText.h"

namespace tessaro {

namespace {

constexpr std::string_view kLinuxForbidden = "*?.,;:/\\|+=<>[]\"";
constexpr std::string_view kMacForbidden = "\"*+,./:;<=>?[\\]|";
constexpr std::int64_t kMbrMaxSectors = 0xFFFFFFFFLL;

std::string said(const Wording& wording, const char* text) {
  return wording.translated("FormatRequestRules", text);
}

// Quoted on one line: a control character in a name shows as an escape.
std::string quoted(std::string_view text) {
  return '"' + visibleText(text, LineFeeds::escape) + '"';
}

// The characters of a UTF-8 name, each with its code point (U+FFFD for a
// byte run that is no character).
struct Character {
  std::string_view bytes;
  char32_t code = 0;
};
std::vector<Character> charactersOf(std::string_view text) {
  std::vector<Character> characters;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = contract::Utf8Text::sequenceLength(text, at);
    const std::u16string units = contract::Utf8Text::toUtf16(text.substr(at, length));
    char32_t code = units.empty() ? U'\uFFFD' : units[0];
    if (units.size() == 2)
      code = 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (units[1] - 0xDC00);
    characters.push_back({text.substr(at, length), code});
    at += length;
  }
  return characters;
}

// Unused space at the end of a disk that is worth a word: 1 MB.
constexpr std::int64_t kMbrNoticeLoss = 1000 * 1000;

std::string joinedChoices(const std::vector<std::string>& choices, const Wording& wording) {
  if (choices.size() == 1) return choices.front();
  std::string first;
  for (std::size_t i = 0; i + 1 < choices.size(); ++i) {
    if (i > 0) first += ", ";
    first += choices[i];
  }
  //: The last of several choices: "512, 1024 or 2048".
  return withArguments(said(wording, TESSARO_TRANSLATABLE("FormatRequestRules", "%1 or %2")),
                       {first, choices.back()});
}

std::optional<std::string> refuseForbidden(std::string_view name, std::string_view forbidden,
                                           const Wording& wording) {
  for (const char c : name) {
    if (forbidden.find(c) != std::string_view::npos) {
      return withArguments(
          said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                             "The volume name may not contain %1; remove it.")),
          {quoted(std::string_view(&c, 1))});
    }
  }
  return std::nullopt;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// Names that the file system would not give back as typed: FAT pads a label
// with blanks, so trailing ones vanish on reading, and "NO NAME" is how a
// volume without a label reads.
std::optional<std::string> refuseUnreadableName(std::string_view volumeName,
                                                const Wording& wording) {
  if (!volumeName.empty() && volumeName.front() == ' ') {
    return said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                              "The volume name may not begin with a blank."));
  }
  if (!volumeName.empty() && volumeName.back() == ' ') {
    return said(wording,
                TESSARO_TRANSLATABLE("FormatRequestRules",
                                     "The volume name may not end with a blank; remove it."));
  }
  if (sameIgnoringCase(volumeName, "NO NAME")) {
    return said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                              "\"NO NAME\" is how a drive without a name reads; "
                                              "choose another volume name."));
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> refuseLinuxVolumeName(const std::string& volumeName,
                                                 const Wording& wording) {
  for (const Character& character : charactersOf(volumeName)) {
    if (character.code < 0x20 || character.code > 0x7e) {
      return withArguments(
          said(wording,
               TESSARO_TRANSLATABLE(
                   "FormatRequestRules",
                   "The volume name may hold only printable ASCII characters; %1 is not one.")),
          {quoted(character.bytes)});
    }
  }
  // Printable ASCII only from here: a byte is a character.
  if (volumeName.size() > 11) {
    return withArguments(
        said(wording, TESSARO_TRANSLATABLE(
                          "FormatRequestRules",
                          "The volume name %1 is %2 characters long; FAT32 allows at most 11.")),
        {quoted(volumeName), std::to_string(volumeName.size())});
  }
  if (auto refusal = refuseForbidden(volumeName, kLinuxForbidden, wording)) return refusal;
  return refuseUnreadableName(volumeName, wording);
}

std::optional<std::string> refuseMacVolumeName(const std::string& volumeName,
                                               const Wording& wording) {
  if (volumeName.size() > 11) {
    return withArguments(
        said(wording,
             TESSARO_TRANSLATABLE("FormatRequestRules",
                                  "The volume name %1 takes %2 bytes; FAT32 allows at most 11.")),
        {quoted(volumeName), std::to_string(volumeName.size())});
  }
  for (const char c : volumeName) {
    if (static_cast<unsigned char>(c) < 0x20) {
      return said(wording,
                  TESSARO_TRANSLATABLE("FormatRequestRules",
                                       "The volume name may not hold control characters."));
    }
  }
  if (auto refusal = refuseForbidden(volumeName, kMacForbidden, wording)) return refusal;
  return refuseUnreadableName(volumeName, wording);
}

bool isOfferedClusterSize(int clusterBytes) {
  const auto& options = ClusterOption::allCases();
  return std::any_of(options.begin(), options.end(),
                     [&](ClusterOption option) { return option.bytes() == clusterBytes; });
}

PartitionLayout fat32PartitionLayout(std::int64_t diskBytes, int logicalSectorSize,
                                     std::optional<std::int64_t> partitionBytes) {
  PartitionLayout layout;
  if (!isValidLogicalSectorSize(logicalSectorSize)) return layout;
  layout.startSector = kPartitionAlignment / logicalSectorSize;
  const std::int64_t available = diskBytes / logicalSectorSize - layout.startSector;
  const std::int64_t limit = kMbrMaxSectors - layout.startSector;
  layout.sectorCount = std::clamp<std::int64_t>(available, 0, limit);
  layout.truncated = available > limit;
  if (partitionBytes) {
    const std::int64_t asked = alignedPartitionBytes(*partitionBytes) / logicalSectorSize;
    if (asked < layout.sectorCount) {
      layout.sectorCount = asked;
      layout.truncated = false;
    }
    layout.sized = true;
  }
  return layout;
}

std::optional<std::int64_t> mbrLimitedEnd(std::int64_t diskBytes,
                                          std::optional<std::int64_t> partitionBytes,
                                          int logicalSectorSize) {
  const PartitionLayout layout = fat32PartitionLayout(diskBytes, logicalSectorSize, partitionBytes);
  if (!layout.truncated) return std::nullopt;
  const std::int64_t end = (layout.startSector + layout.sectorCount) * logicalSectorSize;
  if (diskBytes - end < kMbrNoticeLoss) return std::nullopt;
  return end;
}

std::int64_t alignedPartitionBytes(std::int64_t partitionBytes) {
  return std::max<std::int64_t>(partitionBytes, 0) / kPartitionAlignment * kPartitionAlignment;
}

std::int64_t partitionBytesWithin(std::int64_t usableBytes) {
  return std::max<std::int64_t>(alignedPartitionBytes(usableBytes) - kPartitionAlignment, 0);
}

std::optional<std::string> refusePartitionSize(std::int64_t partitionBytes, std::int64_t diskBytes,
                                               const Wording& wording) {
  const std::int64_t aligned = alignedPartitionBytes(partitionBytes);
  if (aligned <= 0) {
    return withArguments(
        said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                           "A partition size of %1 bytes is less than 1 MiB.")),
        {wording.grouped(partitionBytes)});
  }
  const std::int64_t room = std::max<std::int64_t>(diskBytes - kPartitionAlignment, 0);
  if (aligned > room) {
    return withArguments(
        said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                           "A partition of %1 bytes does not fit on the drive: "
                                           "after its first MiB it has room for %2 bytes.")),
        {wording.grouped(aligned), wording.grouped(room)});
  }
  return std::nullopt;
}

std::int64_t defaultClusterBytes(const PartitionLayout& layout, std::int64_t logicalSectorSize) {
  if (!isValidLogicalSectorSize(logicalSectorSize)) return 0;
  const std::int64_t sectors = layout.sectorCount;
  const std::int64_t clusterSectors = sectors > 32LL * 1024 * 1024 * 2   ? 64
                                      : sectors > 16LL * 1024 * 1024 * 2 ? 32
                                      : sectors > 8LL * 1024 * 1024 * 2  ? 16
                                      : sectors > 260LL * 1024 * 2       ? 8
                                                                         : 1;
  return clusterSectors * logicalSectorSize;
}

std::int64_t formatClusterBytes(std::optional<int> clusterBytes, const PartitionLayout& layout,
                                int logicalSectorSize) {
  if (clusterBytes) return *clusterBytes;
  const std::int64_t mkfsChoice = defaultClusterBytes(layout, logicalSectorSize);
  if (plannedFat32Layout(layout, logicalSectorSize, mkfsChoice).isValid()) return mkfsChoice;
  std::int64_t nearest = 0;
  int nearestDistance = 0;
  for (const ClusterOption option : ClusterOption::allCases()) {
    if (!option.bytes() ||
        !plannedFat32Layout(layout, logicalSectorSize, *option.bytes()).isValid())
      continue;
    int distance = 0;
    for (std::int64_t a = std::min<std::int64_t>(*option.bytes(), mkfsChoice),
                      b = std::max<std::int64_t>(*option.bytes(), mkfsChoice);
         a < b; a *= 2) {
      ++distance;
    }
    if (!nearest || distance <= nearestDistance) {
      nearest = *option.bytes();
      nearestDistance = distance;
    }
  }
  return nearest ? nearest : mkfsChoice;
}

std::optional<std::string> refuseClusterSize(std::optional<int> clusterBytes,
                                             std::int64_t diskBytes, int logicalSectorSize,
                                             std::optional<std::int64_t> partitionBytes,
                                             const Wording& wording) {
  if (clusterBytes && !isOfferedClusterSize(*clusterBytes)) {
    return withArguments(
        said(wording, TESSARO_TRANSLATABLE("FormatRequestRules",
                                           "A cluster size of %1 bytes is not offered: choose a "
                                           "power of two from 512 to 65536.")),
        {std::to_string(*clusterBytes)});
  }
  if (!isValidLogicalSectorSize(logicalSectorSize)) {
    return said(wording, TESSARO_TRANSLATABLE(
                             "FormatRequestRules",
                             "The drive reports no usable logical sector size (a power of two "
                             "from 512 to 65,536 bytes), so its partition cannot be sized; it is "
                             "not formatted."));
  }
  const PartitionLayout layout = fat32PartitionLayout(diskBytes, logicalSectorSize, partitionBytes);
  auto fits = [&](std::int64_t bytes) {
    return plannedFat32Layout(layout, logicalSectorSize, bytes).isValid();
  };
  const std::int64_t asked = formatClusterBytes(clusterBytes, layout, logicalSectorSize);
  if (fits(asked)) return std::nullopt;
  const std::int64_t clusters = plannedFat32Layout(layout, logicalSectorSize, asked).clusters;

  std::vector<std::string> fitting;
  if (fits(formatClusterBytes(std::nullopt, layout, logicalSectorSize))) {
    fitting.push_back(ClusterOption::defaultName(wording));
  }
  for (const ClusterOption option : ClusterOption::allCases()) {
    if (option.bytes() && fits(*option.bytes())) fitting.push_back(option.rawValue());
  }
  const std::string counts[] = {std::to_string(asked), wording.grouped(clusters),
                                wording.grouped(kFat32MinClusters),
                                wording.grouped(kFat32MaxClusters)};
  const std::string problem = withArguments(
      clusterBytes ? said(wording, TESSARO_TRANSLATABLE(
                                       "FormatRequestRules",
                                       "A cluster size of %1 bytes gives %2 clusters on this "
                                       "drive, but FAT32 needs %3 to %4."))
                   : said(wording, TESSARO_TRANSLATABLE(
                                       "FormatRequestRules",
                                       "The default cluster size (%1 bytes) gives %2 clusters on "
                                       "this drive, but FAT32 needs %3 to %4.")),
      {counts[0], counts[1], counts[2], counts[3]});
  if (fitting.empty()) {
    return problem + ' ' +
           said(wording,
                TESSARO_TRANSLATABLE("FormatRequestRules",
                                     "No cluster size fits: the drive is too small for FAT32."));
  }
  return problem + ' ' +
         withArguments(said(wording, TESSARO_TRANSLATABLE("FormatRequestRules", "Choose %1.")),
                       {joinedChoices(fitting, wording)});
}

}  // namespace tessaro
