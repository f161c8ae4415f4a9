// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A counterfeit drive for tests: a FUSE file system holding one file, "disk",
// that claims CLAIMED bytes but has only REAL bytes of storage (a file at
// STORE; a lying cache keeps its sectors in STORE.cache). Attached to a loop
// device it is a block device that lies, or fails, the way the kind and the
// options of FakeDriveShape.h say:
//
//   counterfeit-drive KIND CLAIMED REAL STORE MOUNTPOINT [OPTIONS]
//
// Runs in the foreground until the mount point is unmounted.

#define FUSE_USE_VERSION 31

#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FakeDrive.h"

namespace {

using tessaro::fake::FakeDrive;

std::unique_ptr<FakeDrive> drive;
constexpr const char* kFile = "/disk";

int getattrOp(const char* path, struct stat* status, fuse_file_info*) {
  std::memset(status, 0, sizeof *status);
  if (std::strcmp(path, "/") == 0) {
    status->st_mode = S_IFDIR | 0755;
    status->st_nlink = 2;
    return 0;
  }
  if (std::strcmp(path, kFile) != 0) return -ENOENT;
  status->st_mode = S_IFREG | 0600;
  status->st_nlink = 1;
  status->st_size = off_t(drive->claimedBytes());
  return 0;
}

int readdirOp(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
              fuse_readdir_flags) {
  if (std::strcmp(path, "/") != 0) return -ENOENT;
  fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags(0));
  fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags(0));
  fill(buffer, kFile + 1, nullptr, 0, fuse_fill_dir_flags(0));
  return 0;
}

int openOp(const char* path, fuse_file_info* file) {
  if (std::strcmp(path, kFile) != 0) return -ENOENT;
  // Every read and write reaches this program, none is answered from the
  // kernel's cache of the file.
  file->direct_io = 1;
  file->keep_cache = 0;
  return 0;
}

int readOp(const char*, char* buffer, size_t size, off_t offset, fuse_file_info*) {
  return int(drive->read(uint64_t(offset), buffer, size));
}

int writeOp(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info*) {
  return int(drive->write(uint64_t(offset), buffer, size));
}

int truncateOp(const char* path, off_t, fuse_file_info*) {
  return std::strcmp(path, kFile) == 0 ? 0 : -ENOENT;
}

int fsyncOp(const char*, int, fuse_file_info*) { return drive->flush(); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    if (i != 4 && i != 5) words.emplace_back(argv[i]);  // not STORE and MOUNTPOINT
  }
  std::string error;
  const auto shape = argc >= 6 ? tessaro::fake::FakeDriveShape::parse(words, error) : std::nullopt;
  if (!shape) {
    std::fprintf(stderr, "counterfeit-drive: %s\nusage: counterfeit-drive %s\n", error.c_str(),
                 tessaro::fake::FakeDriveShape::usage());
    return 64;
  }
  // KIND CLAIMED REAL STORE MOUNTPOINT: the options follow the mount point.
  const std::string storePath = argv[4];
  const int store = open(storePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  const int cache = open((storePath + ".cache").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (store < 0 || cache < 0 || ftruncate(store, off_t(shape->real)) != 0) {
    std::perror(storePath.c_str());
    return 1;
  }
  tessaro::fake::FileStorage stored(store);
  tessaro::fake::FileStorage cached(cache);
  drive = std::make_unique<FakeDrive>(*shape, stored, cached);

  fuse_operations operations{};
  operations.getattr = getattrOp;
  operations.readdir = readdirOp;
  operations.open = openOp;
  operations.read = readOp;
  operations.write = writeOp;
  operations.truncate = truncateOp;
  operations.fsync = fsyncOp;

  // Foreground, one thread: the test owns the process and its lifetime.
  std::string program = argv[0];
  std::string foreground = "-f";
  std::string singleThread = "-s";
  std::string mountPoint = argv[5];
  char* fuseArgs[] = {program.data(), foreground.data(), singleThread.data(), mountPoint.data(),
                      nullptr};
  return fuse_main(4, fuseArgs, &operations, nullptr);
}
