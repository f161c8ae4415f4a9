// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>
#include <QString>
#include <ostream>

// Failure messages show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tessaro::security {

// Attacks on the helper run it as root on loop devices; without root there is
// nothing to attack.
class SecurityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "needs root: these tests attack the root helper on loop devices";
    }
    ASSERT_TRUE(QFileInfo(TESSARO_HELPER_BUILD_PATH).isExecutable())
        << "no helper at " << TESSARO_HELPER_BUILD_PATH;
  }
};

}  // namespace tessaro::security
