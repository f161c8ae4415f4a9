// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The plainest program that writes every block of a block device and reads
// every block back, with O_DIRECT, as a baseline for the full capacity test:
// one buffer of CHUNK bytes filled once, written from the first byte to the
// last, a flush, then read back the same way.
//
//   plain-surface-pass DEVICE [CHUNK]
//
// Prints the seconds it took; exits 1 when a request failed.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static double now() {
  timespec at{};
  clock_gettime(CLOCK_MONOTONIC, &at);
  return double(at.tv_sec) + double(at.tv_nsec) / 1e9;
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: plain-surface-pass DEVICE [CHUNK]\n");
    return 64;
  }
  const uint64_t chunk = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : uint64_t(4) << 20;
  const int fd = open(argv[1], O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC);
  uint64_t size = 0;
  void* buffer = nullptr;
  if (fd < 0 || ioctl(fd, BLKGETSIZE64, &size) != 0 || chunk == 0 || chunk % 4096 != 0 ||
      posix_memalign(&buffer, 4096, chunk) != 0) {
    perror(argv[1]);
    return 1;
  }
  for (uint64_t i = 0; i < chunk; ++i)
    static_cast<unsigned char*>(buffer)[i] = static_cast<unsigned char>(i * 131);
  size -= size % 4096;
  const double started = now();
  for (uint64_t at = 0; at < size; at += chunk) {
    const uint64_t bytes = size - at < chunk ? size - at : chunk;
    if (pwrite(fd, buffer, bytes, off_t(at)) != ssize_t(bytes)) return 1;
  }
  if (fdatasync(fd) != 0) return 1;
  for (uint64_t at = 0; at < size; at += chunk) {
    const uint64_t bytes = size - at < chunk ? size - at : chunk;
    if (pread(fd, buffer, bytes, off_t(at)) != ssize_t(bytes)) return 1;
  }
  printf("%.3f\n", now() - started);
  free(buffer);
  close(fd);
  return 0;
}
