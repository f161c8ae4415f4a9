// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/format/FormatVerification.h"

#include <vector>

#include "drives/FormatRequestRules.h"
#include "drives/Wording.h"

namespace tessaro {

namespace {

std::string grouped(std::int64_t number) { return Wording::english().grouped(number); }

std::int64_t littleEndian(std::string_view bytes, std::size_t at, int size) {
  std::int64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  return value;
}

bool hasBootSignature(std::string_view sector) {
  return sector.size() >= 512 && littleEndian(sector, 510, 2) == 0xAA55;
}

// A label field: Latin-1 bytes as UTF-8, blanks at both ends removed.
std::string labelText(std::string_view bytes) {
  std::string label;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      label += c;
    } else {
      label += char(0xC0 | (byte >> 6));
      label += char(0x80 | (byte & 0x3F));
    }
  }
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!label.empty() && blank(label.back())) label.pop_back();
  std::size_t first = 0;
  while (first < label.size() && blank(label[first])) ++first;
  label.erase(0, first);
  return label == "NO NAME" ? std::string() : label;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

bool isWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

void readMbr(std::string_view firstSector, FormatReadBack& into) {
  into.partitionCount = 0;
  if (!hasBootSignature(firstSector)) return;
  into.tableLabel = "dos";
  for (std::size_t entry = 0; entry < 4; ++entry) {
    const std::size_t at = 446 + 16 * entry;
    const int type = static_cast<unsigned char>(firstSector[at + 4]);
    if (type == 0) continue;
    if (++into.partitionCount != 1) continue;
    constexpr char kHex[] = "0123456789abcdef";
    into.partitionType =
        type < 16 ? std::string(1, kHex[type]) : std::string{kHex[type >> 4], kHex[type & 15]};
    into.partitionStart = littleEndian(firstSector, at + 8, 4);
    into.partitionSectors = littleEndian(firstSector, at + 12, 4);
  }
}

void readFatVolume(std::string_view bootSector, std::string_view rootCluster,
                   FormatReadBack& into) {
  if (!hasBootSignature(bootSector)) return;
  if (bootSector.substr(82, 8) == "FAT32   ") {
    into.fsType = "vfat";
    into.fsVersion = "FAT32";
  }
  into.label = labelText(bootSector.substr(71, 11));
  for (std::size_t at = 0; at + 32 <= rootCluster.size(); at += 32) {
    const auto first = static_cast<unsigned char>(rootCluster[at]);
    if (first == 0x00) break;  // the end of the directory
    const auto attributes = static_cast<unsigned char>(rootCluster[at + 11]);
    if (first == 0xE5 || (attributes & 0x3F) == 0x0F || !(attributes & 0x08)) continue;
    into.label = labelText(rootCluster.substr(at, 11));
    break;
  }
}

void readFsckVerbose(std::string_view text, FormatReadBack& into) {
  // The first line that is, after blanks, "N data clusters" (then no letter).
  constexpr std::string_view kWords = " data clusters";
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t' || line.front() == '\r'))
      line.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits == 0 || line.substr(digits, kWords.size()) != kWords) continue;
    const std::size_t after = digits + kWords.size();
    if (after < line.size() && isWordCharacter(line[after])) continue;
    // A count beyond 2^63 - 1 reads as 0, as no count.
    std::int64_t count = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      if (count > (INT64_MAX - (line[i] - '0')) / 10) {
        count = 0;
        break;
      }
      count = count * 10 + (line[i] - '0');
    }
    into.clusterCount = count;
    return;
  }
}

void readBootSector(std::string_view firstSector, FormatReadBack& into) {
  if (firstSector.size() < 40) return;
  const auto byte = [&](std::size_t offset) {
    return static_cast<unsigned char>(firstSector[offset]);
  };
  into.bytesPerSector = byte(11) | (byte(12) << 8);
  into.sectorsPerCluster = byte(13);
  into.reservedSectors = byte(14) | (byte(15) << 8);
  into.fatCount = byte(16);
  into.hiddenSectors = littleEndian(firstSector, 28, 4);
  into.fatSectors = littleEndian(firstSector, 36, 4);
}

std::int64_t FormatReadBack::dataStartBytes() const {
  if (partitionStart < 0 || bytesPerSector <= 0 || fatCount <= 0) return -1;
  return (partitionStart + reservedSectors + fatCount * fatSectors) * bytesPerSector;
}

namespace {

std::string alignmentText(std::int64_t bytes) {
  if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) {
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
  }
  return "the cluster (" + std::to_string(bytes) + " bytes)";
}

}  // namespace

FormatCheck verifyFormat(const FormatExpectation& expected, const FormatReadBack& found) {
  std::vector<std::string> differences;
  if (found.tableLabel != "dos") differences.push_back("no MBR (dos) table");
  if (found.partitionCount != 1) {
    differences.push_back(std::to_string(found.partitionCount) + " partitions, not 1");
  }
  if (found.partitionType != "c" && found.partitionType != "C") {
    differences.push_back("partition type is not c");
  }
  if (found.partitionStart != expected.partitionStart) {
    differences.push_back("partition does not start at sector " +
                          std::to_string(expected.partitionStart));
  }
  if (found.hiddenSectors != expected.partitionStart) {
    differences.push_back("boot sector's hidden sectors are not " +
                          std::to_string(expected.partitionStart));
  }
  if (expected.partitionSectors && found.partitionSectors != *expected.partitionSectors) {
    differences.push_back("partition is not " + grouped(*expected.partitionSectors) +
                          " sectors long");
  }
  if (found.fsType != "vfat" || found.fsVersion != "FAT32") {
    differences.push_back("file system is not FAT32");
  }
  if (found.label != expected.volumeName) {
    differences.push_back("label is not \"" + expected.volumeName + '"');
  }
  if (expected.clusterBytes && found.clusterBytes() != *expected.clusterBytes) {
    differences.push_back("cluster size is not " + std::to_string(*expected.clusterBytes) +
                          " bytes");
  }
  if (found.clusterCount < kFat32MinClusters || found.clusterCount > kFat32MaxClusters) {
    differences.push_back("cluster count is outside FAT32's " + grouped(kFat32MinClusters) +
                          " to " + grouped(kFat32MaxClusters));
  }
  if (!found.fsckClean) differences.push_back("fsck.fat reports errors");
  const std::int64_t dataStart = found.dataStartBytes();
  const bool aligned =
      expected.dataAlignment > 0 && dataStart > 0 && dataStart % expected.dataAlignment == 0;
  if (expected.dataAlignment > 0 && !aligned) {
    differences.push_back("data area is not aligned to " + alignmentText(expected.dataAlignment));
  }

  const std::string readBack = withArguments(
      "%1 table, partition type %2 at sector %3; %4 %5, label \"%6\", %7-byte "
      "clusters, %8 clusters",
      {found.tableLabel.empty() ? "no" : found.tableLabel,
       found.partitionType.empty() ? "?" : found.partitionType,
       std::to_string(found.partitionStart), found.fsType.empty() ? "no file system" : found.fsType,
       found.fsVersion, found.label, std::to_string(found.clusterBytes()),
       grouped(found.clusterCount)});
  FormatCheck check;
  contract::FormatVerdict& verdict = check.verdict;
  verdict.matches = differences.empty();
  const std::string alignment =
      aligned ? "; data area aligned to " + alignmentText(expected.dataAlignment) : std::string();
  check.line = verdict.matches
                   ? "Verified: " + readBack + alignment + ": as asked."
                   : "Verification failed: " + readBack + ": " + joined(differences, "; ") + '.';
  verdict.table = found.tableLabel;
  verdict.partitionType = found.partitionType;
  verdict.partitionStart = found.partitionStart;
  verdict.partitionSectors = found.partitionSectors;
  verdict.fileSystem = found.fsVersion;
  verdict.label = found.label;
  verdict.clusterBytes = found.clusterBytes();
  verdict.clusters = found.clusterCount;
  verdict.dataAlignment = aligned ? expected.dataAlignment : 0;
  verdict.fsckClean = found.fsckClean;
  return check;
}

}  // namespace tessaro
