// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/linux/MountInfo.h"

#include <libmount/libmount.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "drives/linux/KernelFile.h"

namespace tessaro {

namespace {

// Far more than any system's table; a file that grows past it is not read
// in part.
constexpr std::size_t kMaxTableBytes = 64 * 1024 * 1024;

struct TableFree {
  void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterFree {
  void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};
struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string valueOf(const char* value) { return value ? value : ""; }

// The lines of text that are not empty: each must be one entry of the table.
std::size_t lineCount(const std::string& text) {
  std::size_t lines = 0, at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (end > at) ++lines;
    at = end + 1;
  }
  return lines;
}

// Parses text with libmount (swaps: as /proc/swaps, else as mountinfo) and
// calls take for each entry; false when libmount's parser said a line was
// wrong or the entries are not one a line.
template <typename Take>
bool parseTable(const std::string& text, bool swaps, Take take) {
  const std::unique_ptr<libmnt_table, TableFree> table(mnt_new_table());
  if (!table) return false;
  int errors = 0;
  mnt_table_set_userdata(table.get(), &errors);
  mnt_table_set_parser_errcb(table.get(), [](libmnt_table* at, const char*, int) {
    ++*static_cast<int*>(mnt_table_get_userdata(at));
    return 1;  // the line is counted as wrong; the table is not used
  });
  std::size_t entries = 0;
  if (!text.empty()) {
    // fmemopen does not write to a buffer opened for reading.
    const std::unique_ptr<std::FILE, FileClose> stream(
        fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
    if (!stream) return false;
    // libmount tells the kind of table by its first line; an entry of
    // another kind than asked for makes the table unread.
    if (mnt_table_parse_stream(table.get(), stream.get(), swaps ? "swaps" : "mountinfo") != 0 ||
        errors != 0)
      return false;
    const std::unique_ptr<libmnt_iter, IterFree> iter(mnt_new_iter(MNT_ITER_FORWARD));
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
      ++entries;
      if (!(swaps ? mnt_fs_is_swaparea(fs) : mnt_fs_is_kernel(fs)) || !take(fs)) return false;
    }
  }
  // The header of /proc/swaps is no entry.
  return entries + (swaps && !text.empty() ? 1 : 0) == lineCount(text);
}

// An octal escape beyond one byte (a backslash and 777), which the kernel never writes
// and libmount would read as another byte.
bool hasImpossibleEscape(const std::string& text) {
  const auto octal = [](char c) { return c >= '0' && c <= '7'; };
  for (std::size_t at = text.find('\\'); at != std::string::npos && at + 3 < text.size();
       at = text.find('\\', at + 1)) {
    if (octal(text[at + 1]) && octal(text[at + 2]) && octal(text[at + 3]) && text[at + 1] > '3')
      return true;
  }
  return false;
}

}  // namespace

std::optional<MountInfo> MountInfo::parse(const std::string& text) {
  if (hasImpossibleEscape(text)) return std::nullopt;
  MountInfo table;
  const bool whole = parseTable(text, false, [&](libmnt_fs* fs) {
    Mount mount;
    mount.number = mnt_fs_get_devno(fs);
    mount.root = valueOf(mnt_fs_get_root(fs));
    mount.target = valueOf(mnt_fs_get_target(fs));
    mount.fileSystemType = valueOf(mnt_fs_get_fstype(fs));
    mount.source = valueOf(mnt_fs_get_source(fs));
    if (mount.target.empty() || mount.target.front() != '/' || mount.fileSystemType.empty() ||
        mount.fileSystemType == "-")
      return false;
    table.mounts_.push_back(std::move(mount));
    return true;
  });
  if (!whole) return std::nullopt;
  return table;
}

std::optional<MountInfo> MountInfo::readFile(const std::string& path, std::string* failure) {
  const auto fail = [&](const std::string& why) -> std::optional<MountInfo> {
    if (failure) *failure = why;
    return std::nullopt;
  };
  // procfs files have no size: read to the end, within the bound.
  const KernelFile::Bytes file = KernelFile::read(path, kMaxTableBytes);
  if (file.error != 0) return fail(KernelFile::failure(path, file.error));
  std::optional<MountInfo> table = parse(file.bytes);
  if (!table || table->mounts_.empty())
    return fail("the mount table " + path + " could not be parsed");
  return table;
}

std::optional<std::vector<std::string>> MountInfo::readSwaps(const std::string& path,
                                                             std::string* failure) {
  const KernelFile::Bytes file = KernelFile::read(path, kMaxTableBytes);
  if (file.error == ENOENT) return std::vector<std::string>();  // a kernel without swap
  if (file.error != 0) {
    *failure = KernelFile::failure(path, file.error);
    return std::nullopt;
  }
  std::vector<std::string> areas;
  const bool whole = parseTable(file.bytes, true, [&](libmnt_fs* fs) {
    areas.push_back(valueOf(mnt_fs_get_source(fs)));
    return !areas.back().empty();
  });
  if (!whole) {
    *failure = "the swap table " + path + " could not be parsed";
    return std::nullopt;
  }
  return areas;
}

std::vector<std::string> MountInfo::targetsOf(dev_t number, const std::string& devicePath) const {
  std::vector<std::string> targets;
  for (auto mount = mounts_.crbegin(); mount != mounts_.crend(); ++mount) {
    if (mount->number == number || mount->source == devicePath) targets.push_back(mount->target);
  }
  return targets;
}

}  // namespace tessaro
