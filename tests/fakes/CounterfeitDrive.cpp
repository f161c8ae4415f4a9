// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A counterfeit drive for tests: a FUSE file system holding one file, "disk",
// that claims CLAIMED bytes but has only REAL bytes of storage (a file at
// STORE). Attached to a loop device it is a block device that lies the way
// fake flash drives do:
//   genuine    stores everything (REAL is ignored)
//   wrap       reads and writes at offset o go to o mod REAL
//   chain      wraps at the power of two at or above REAL; writes between
//              REAL and that power vanish, reads there return zeros
//   drop       writes past REAL vanish; reads there return zeros
//   failreads  writes past REAL vanish; reads there fail with EIO
// and, whatever the kind:
//   --cache BYTES      the last BYTES written (in 512-byte sectors) are kept
//                      in memory and answer reads, whether stored or not
//   --delay-us N       every request takes N microseconds more (a slow drive)
//   --fail-after-ms N  from N ms after the first write on, every request
//                      fails with EIO (a drive that dies)
//
//   counterfeit-drive KIND CLAIMED REAL STORE MOUNTPOINT [OPTIONS]
//
// Runs in the foreground until the mount point is unmounted.

#define FUSE_USE_VERSION 31

#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

enum class Mode { genuine, wrap, chain, drop, failReads };

struct Drive {
  Mode mode = Mode::wrap;
  uint64_t claimed = 0;
  uint64_t real = 0;
  uint64_t power = 0;  // chain: where it wraps
  int store = -1;
  uint64_t cacheSectors = 0;
  int64_t delayUs = 0;
  int64_t failAfterMs = -1;
  std::optional<std::chrono::steady_clock::time_point> firstRequest;  // the first write
};

Drive drive;
constexpr const char* kFile = "/disk";

// The lying cache: the sectors written last, in a ring, and where the newest
// data of each one is in it.
constexpr uint64_t kSector = 512;
std::vector<char> ring;
std::vector<uint64_t> ringOwner;  // the sector each slot holds
uint64_t ringNext = 0;
std::unordered_map<uint64_t, uint64_t> cached;  // sector → slot

void remember(uint64_t sector, const char* data) {
  const uint64_t slot = ringNext;
  ringNext = (ringNext + 1) % ringOwner.size();
  if (const auto old = cached.find(ringOwner[slot]); old != cached.end() && old->second == slot) {
    cached.erase(old);
  }
  std::memcpy(ring.data() + slot * kSector, data, kSector);
  ringOwner[slot] = sector;
  cached[sector] = slot;
}

// Whether this request fails because the drive has died; waits out the delay.
bool dead(bool writing) {
  const auto now = std::chrono::steady_clock::now();
  if (!drive.firstRequest && writing) drive.firstRequest = now;
  if (drive.delayUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(drive.delayUs));
  return drive.failAfterMs >= 0 && drive.firstRequest &&
         now - *drive.firstRequest >= std::chrono::milliseconds(drive.failAfterMs);
}

// Where offset at is stored; none when it has no storage.
std::optional<uint64_t> placeOf(uint64_t at) {
  if (drive.mode == Mode::genuine || at < drive.real) return at;
  switch (drive.mode) {
    case Mode::wrap:
      return at % drive.real;
    case Mode::chain: {
      const uint64_t place = at % drive.power;
      return place < drive.real ? std::optional<uint64_t>(place) : std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

// The length of the run from at that stays within one piece of storage (or gap).
uint64_t runFrom(uint64_t at, uint64_t size) {
  const auto place = placeOf(at);
  if (drive.mode == Mode::genuine) return size;
  if (!place) {
    if (drive.mode == Mode::chain) return std::min(size, drive.power - at % drive.power);
    return size;
  }
  const uint64_t space = (at < drive.real ? drive.real - at : drive.real - *place);
  uint64_t length = std::min(size, space);
  if (drive.mode == Mode::chain && at >= drive.real) {
    length = std::min(length, drive.power - at % drive.power);
  }
  return length;
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

int readStore(char* buffer, uint64_t place, uint64_t length) {
  uint64_t got = 0;
  while (got < length) {
    const ssize_t n = pread(drive.store, buffer + got, length - got, off_t(place + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -errno;
    if (n == 0) {  // past the end of the store file: nothing written yet
      std::memset(buffer + got, 0, length - got);
      break;
    }
    got += uint64_t(n);
  }
  return 0;
}

int readOp(const char*, char* buffer, size_t size, off_t offset, fuse_file_info*) {
  if (dead(false)) return -EIO;
  if (uint64_t(offset) >= drive.claimed) return 0;
  size = size_t(std::min<uint64_t>(size, drive.claimed - uint64_t(offset)));
  uint64_t done = 0;
  while (done < size) {
    const uint64_t at = uint64_t(offset) + done;
    const uint64_t length = runFrom(at, size - done);
    if (const auto place = placeOf(at)) {
      if (const int error = readStore(buffer + done, *place, length)) return error;
    } else if (drive.mode == Mode::failReads) {
      for (uint64_t sector = at / kSector; sector * kSector < at + length; ++sector) {
        if (!cached.contains(sector)) return -EIO;
      }
    } else {
      std::memset(buffer + done, 0, length);
    }
    done += length;
  }
  // What the cache holds answers, whatever the storage said.
  if (!cached.empty()) {
    for (uint64_t sector = uint64_t(offset) / kSector; sector * kSector < uint64_t(offset) + size;
         ++sector) {
      const auto it = cached.find(sector);
      if (it == cached.end()) continue;
      const uint64_t from = std::max<uint64_t>(sector * kSector, uint64_t(offset));
      const uint64_t to = std::min<uint64_t>((sector + 1) * kSector, uint64_t(offset) + size);
      std::memcpy(buffer + (from - uint64_t(offset)),
                  ring.data() + it->second * kSector + (from - sector * kSector), to - from);
    }
  }
  return int(size);
}

int writeOp(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info*) {
  if (dead(true)) return -EIO;
  if (uint64_t(offset) >= drive.claimed) return -ENOSPC;
  size = size_t(std::min<uint64_t>(size, drive.claimed - uint64_t(offset)));
  uint64_t done = 0;
  while (done < size) {
    const uint64_t at = uint64_t(offset) + done;
    const uint64_t length = runFrom(at, size - done);
    if (const auto place = placeOf(at)) {
      uint64_t put = 0;
      while (put < length) {
        const ssize_t n =
            pwrite(drive.store, buffer + done + put, length - put, off_t(*place + put));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? -errno : -EIO;
        put += uint64_t(n);
      }
    }
    done += length;
  }
  // The block layer sends whole sectors.
  if (drive.cacheSectors > 0 && offset % kSector == 0 && size % kSector == 0) {
    for (uint64_t at = 0; at < size; at += kSector) {
      remember((uint64_t(offset) + at) / kSector, buffer + at);
    }
  }
  return int(size);
}

int truncateOp(const char* path, off_t, fuse_file_info*) {
  return std::strcmp(path, kFile) == 0 ? 0 : -ENOENT;
}

int fsyncOp(const char*, int, fuse_file_info*) {
  if (dead(false)) return -EIO;
  return fdatasync(drive.store) == 0 ? 0 : -errno;
}

bool parseNumber(const char* text, uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

bool parseMode(const char* text) {
  const std::pair<const char*, Mode> modes[] = {{"genuine", Mode::genuine},
                                                {"wrap", Mode::wrap},
                                                {"chain", Mode::chain},
                                                {"drop", Mode::drop},
                                                {"failreads", Mode::failReads}};
  for (const auto& [name, mode] : modes) {
    if (std::strcmp(text, name) == 0) {
      drive.mode = mode;
      return true;
    }
  }
  return false;
}

bool parseOptions(int argc, char** argv) {
  for (int i = 6; i < argc; i += 2) {
    uint64_t value = 0;
    if (i + 1 >= argc || !parseNumber(argv[i + 1], value)) return false;
    if (std::strcmp(argv[i], "--cache") == 0) {
      drive.cacheSectors = value / 512;
    } else if (std::strcmp(argv[i], "--delay-us") == 0) {
      drive.delayUs = int64_t(value);
    } else if (std::strcmp(argv[i], "--fail-after-ms") == 0) {
      drive.failAfterMs = int64_t(value);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || !parseMode(argv[1]) || !parseNumber(argv[2], drive.claimed) ||
      !parseNumber(argv[3], drive.real) || drive.claimed == 0 || !parseOptions(argc, argv) ||
      (drive.mode != Mode::genuine && (drive.real == 0 || drive.real > drive.claimed))) {
    std::fprintf(stderr,
                 "usage: counterfeit-drive genuine|wrap|chain|drop|failreads CLAIMED REAL STORE "
                 "MOUNTPOINT [--cache BYTES] [--delay-us N] [--fail-after-ms N]\n");
    return 64;
  }
  if (drive.mode == Mode::genuine) drive.real = drive.claimed;
  if (drive.cacheSectors > 0) {
    ring.resize(drive.cacheSectors * kSector);
    ringOwner.assign(drive.cacheSectors, UINT64_MAX);
  }
  drive.power = 1;
  while (drive.power < drive.real) drive.power <<= 1;
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
