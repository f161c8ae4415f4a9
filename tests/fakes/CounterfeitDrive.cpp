// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A counterfeit drive for tests: a FUSE file system holding one file, "disk",
// that claims CLAIMED bytes but has only REAL bytes of storage (a file at
// STORE). Attached to a loop device it is a block device that lies the way
// fake flash drives do:
//   wrap  reads and writes at offset o go to o mod REAL
//   drop  writes past REAL vanish; reads there return zeros
//
//   counterfeit-drive wrap|drop CLAIMED REAL STORE MOUNTPOINT
//
// Runs in the foreground until the mount point is unmounted.

#define FUSE_USE_VERSION 31

#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class Mode { wrap, drop };

struct Drive {
  Mode mode = Mode::wrap;
  uint64_t claimed = 0;
  uint64_t real = 0;
  int store = -1;
};

Drive drive;
constexpr const char* kFile = "/disk";

// Calls piece(storeOffset, bufferOffset, length) for the stored parts of
// [offset, offset + size), and gap(bufferOffset, length) for the parts that
// have no storage.
template <typename Piece, typename Gap>
int forEachPiece(uint64_t offset, uint64_t size, Piece piece, Gap gap) {
  uint64_t done = 0;
  while (done < size) {
    const uint64_t at = offset + done;
    if (drive.mode == Mode::drop && at >= drive.real) {
      gap(done, size - done);
      return 0;
    }
    const uint64_t place = drive.mode == Mode::wrap ? at % drive.real : at;
    const uint64_t length = std::min(size - done, drive.real - place);
    if (const int error = piece(place, done, length)) return error;
    done += length;
  }
  return 0;
}

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
  status->st_size = off_t(drive.claimed);
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
  if (uint64_t(offset) >= drive.claimed) return 0;
  size = size_t(std::min<uint64_t>(size, drive.claimed - uint64_t(offset)));
  const int error = forEachPiece(
      uint64_t(offset), size,
      [&](uint64_t place, uint64_t at, uint64_t length) {
        uint64_t got = 0;
        while (got < length) {
          const ssize_t n = pread(drive.store, buffer + at + got, length - got, off_t(place + got));
          if (n < 0 && errno == EINTR) continue;
          if (n < 0) return -errno;
          if (n == 0) {  // past the end of the store file: nothing written yet
            std::memset(buffer + at + got, 0, length - got);
            break;
          }
          got += uint64_t(n);
        }
        return 0;
      },
      [&](uint64_t at, uint64_t length) { std::memset(buffer + at, 0, length); });
  return error ? error : int(size);
}

int writeOp(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info*) {
  if (uint64_t(offset) >= drive.claimed) return -ENOSPC;
  size = size_t(std::min<uint64_t>(size, drive.claimed - uint64_t(offset)));
  const int error = forEachPiece(
      uint64_t(offset), size,
      [&](uint64_t place, uint64_t at, uint64_t length) {
        uint64_t put = 0;
        while (put < length) {
          const ssize_t n =
              pwrite(drive.store, buffer + at + put, length - put, off_t(place + put));
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) return n < 0 ? -errno : -EIO;
          put += uint64_t(n);
        }
        return 0;
      },
      [](uint64_t, uint64_t) {});
  return error ? error : int(size);
}

int truncateOp(const char* path, off_t, fuse_file_info*) {
  return std::strcmp(path, kFile) == 0 ? 0 : -ENOENT;
}

int fsyncOp(const char*, int, fuse_file_info*) { return fdatasync(drive.store) == 0 ? 0 : -errno; }

bool parseBytes(const char* text, uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 || (std::strcmp(argv[1], "wrap") != 0 && std::strcmp(argv[1], "drop") != 0) ||
      !parseBytes(argv[2], drive.claimed) || !parseBytes(argv[3], drive.real) ||
      drive.real > drive.claimed) {
    std::fprintf(stderr, "usage: counterfeit-drive wrap|drop CLAIMED REAL STORE MOUNTPOINT\n");
    return 64;
  }
  drive.mode = std::strcmp(argv[1], "wrap") == 0 ? Mode::wrap : Mode::drop;
  drive.store = open(argv[4], O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (drive.store < 0 || ftruncate(drive.store, off_t(drive.real)) != 0) {
    std::perror(argv[4]);
    return 1;
  }

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
