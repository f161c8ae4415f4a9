// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

// The macOS primitive's own source, built here against the stand-in (the
// path is taken from src/exec, where the source lives).
#define TESSARO_AUTHORIZATION_DOUBLE "../../tests/unit/PrivilegedAuthorizationDouble.h"
#include "exec/MacPrivilegedTool.cpp"

namespace {

using Calls = std::vector<std::string>;

// What the tool printed; when refused, the status and whatever was printed anyway.
QByteArray runTool(const QString& line) {
  QByteArray out;
  const int32_t status =
      tessaro::runPrivilegedTool("/bin/sh", {"-c", line}, [&out](const QByteArray& bytes) {
        EXPECT_LE(bytes.size(), 4096);
        out += bytes;
      });
  return status == 0 ? out : QByteArray::number(status) + out;
}

TEST(PrivilegedMacToolTest, AsksForTheAdminRightThenStreamsStandardOutput) {
  authorizationDouble = {};
  const QString line = "head -c 10000 /dev/zero | tr '\\0' y; echo err >&2; exit 3";
  EXPECT_EQ(runTool(line), QByteArray(10000, 'y'));
  EXPECT_EQ(authorizationDouble.calls,
            (Calls{"create 0", "copyRights 19 system.privilege.admin", "execute 0", "free 0"}));
  EXPECT_EQ(authorizationDouble.toolAndArguments, (Calls{"/bin/sh", "-c", line.toStdString()}));
}

TEST(PrivilegedMacToolTest, EachRefusalReturnsItsStatusAndReleasesWhatWasCreated) {
  const std::string copy = "copyRights 19 system.privilege.admin";
  const std::tuple<const char*, OSStatus, Calls> cases[] = {
      {"create", -60008, {"create 0"}},
      {"copyRights", -60006, {"create 0", copy, "free 0"}},  // the user cancelled
      {"execute", -60031, {"create 0", copy, "execute 0", "free 0"}},
  };
  for (const auto& [step, status, calls] : cases) {
    SCOPED_TRACE(step);
    authorizationDouble = {.answers = {{step, status}}};
    EXPECT_EQ(runTool("echo never"), QByteArray::number(status));
    EXPECT_EQ(authorizationDouble.calls, calls);
  }
}

}  // namespace
