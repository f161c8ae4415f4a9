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
  EXPECT_EQ(runTool("head -c 10000 /dev/zero | tr '\\0' y; echo err >&2; exit 3"),
            QByteArray(10000, 'y'));
  EXPECT_EQ(authorizationDouble.calls, (Calls{"create 0", "copyRights 19", "execute 0", "free 0"}));
  EXPECT_EQ(authorizationDouble.rightName, "system.privilege.admin");
  EXPECT_EQ(authorizationDouble.toolAndArguments,
            (Calls{"/bin/sh", "-c", "head -c 10000 /dev/zero | tr '\\0' y; echo err >&2; exit 3"}));
}

TEST(PrivilegedMacToolTest, EachRefusalReturnsItsStatusAndReleasesWhatWasCreated) {
  const struct {
    OSStatus AuthorizationDouble::*step;
    OSStatus status;
    Calls calls;
  } cases[] = {
      {&AuthorizationDouble::createStatus, -60008, {"create 0"}},
      {&AuthorizationDouble::copyRightsStatus, -60006, {"create 0", "copyRights 19", "free 0"}},
      {&AuthorizationDouble::executeStatus,
       -60031,
       {"create 0", "copyRights 19", "execute 0", "free 0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    authorizationDouble = {};
    authorizationDouble.*c.step = c.status;
    EXPECT_EQ(runTool("echo never"), QByteArray::number(c.status));
    EXPECT_EQ(authorizationDouble.calls, c.calls);
  }
}

}  // namespace
