// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/PageWarmUp.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <thread>

namespace tessaro {

void warmUpPages(const void* begin, std::size_t bytes) {
  const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = start & ~(page - 1);
  const std::uintptr_t length = start + bytes - first;
  std::thread([first, length] {
    madvise(reinterpret_cast<void*>(first), length, MADV_POPULATE_WRITE);
  }).detach();
}

}  // namespace tessaro
