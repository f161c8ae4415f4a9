// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

// A broken property is a crash, so that libFuzzer keeps the input and the
// corpus replay fails.
#define FUZZ_CHECK(condition, what)                                           \
  do {                                                                        \
    if (!(condition)) {                                                       \
      std::fprintf(stderr, "%s:%d: %s: %s\n", __FILE__, __LINE__, #condition, \
                   QString(what).toLocal8Bit().constData());                  \
      std::abort();                                                           \
    }                                                                         \
  } while (false)
