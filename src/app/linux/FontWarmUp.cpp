// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "app/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <thread>

namespace tessaro {

// fontconfig initialises itself once, thread-safely; Qt's first font finds
// the configuration made here, or makes it itself if it comes first.
void warmUpFonts() {
  std::thread([] { FcInit(); }).detach();
}

}  // namespace tessaro
