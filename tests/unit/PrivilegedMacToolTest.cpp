#include <gtest/gtest.h>
#include <unistd.h>

// The macOS primitive's own source, built here against the stand-in.
// (The path is taken from src/exec, where the source lives.)
#define TESSARO_AUTHORIZATION_DOUBLE "../../tests/unit/PrivilegedAuthorizationDouble.h"
#include "exec/MacPrivilegedTool.cpp"

AuthorizationDouble authorizationDouble;

struct AuthorizationOpaqueRef {};
static AuthorizationOpaqueRef theReference;

OSStatus AuthorizationCreate(const AuthorizationRights*, const AuthorizationEnvironment*,
                             AuthorizationFlags flags, AuthorizationRef* authorization) {
  authorizationDouble.calls.push_back("create " + std::to_string(flags));
  if (authorizationDouble.createStatus != 0) return authorizationDouble.createStatus;
  *authorization = &theReference;
  return 0;
}

OSStatus AuthorizationCopyRights(AuthorizationRef, const AuthorizationRights* rights,
                                 const AuthorizationEnvironment*, AuthorizationFlags flags,
                                 AuthorizationRights**) {
  authorizationDouble.calls.push_back("copyRights " + std::to_string(flags));
  if (rights && rights->count == 1) authorizationDouble.rightName = rights->items[0].name;
  return authorizationDouble.copyRightsStatus;
}

// Starts the tool for real, its standard output on a pipe.
OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe) {
  authorizationDouble.calls.push_back("execute " + std::to_string(options));
  authorizationDouble.toolAndArguments = {pathToTool};
  for (char* const* word = arguments; *word; ++word) {
    authorizationDouble.toolAndArguments.emplace_back(*word);
  }
  if (authorizationDouble.executeStatus != 0) return authorizationDouble.executeStatus;
  int fds[2];
  if (pipe(fds) != 0) return -1;
  if (fork() == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    std::vector<char*> argv{const_cast<char*>(pathToTool)};
    for (char* const* word = arguments; *word; ++word) argv.push_back(*word);
    argv.push_back(nullptr);
    execv(pathToTool, argv.data());
    _exit(127);
  }
  close(fds[1]);
  *communicationsPipe = fdopen(fds[0], "r");
  return 0;
}

OSStatus AuthorizationFree(AuthorizationRef, AuthorizationFlags flags) {
  authorizationDouble.calls.push_back("free " + std::to_string(flags));
  return 0;
}

namespace {

class PrivilegedMacToolTest : public ::testing::Test {
 protected:
  void SetUp() override { authorizationDouble = AuthorizationDouble{}; }

  int32_t run(const QString& line) {
    return tessaro::runPrivilegedTool(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line},
                                      [this](const QByteArray& bytes) { reads_ << bytes; });
  }

  QList<QByteArray> reads_;
};

TEST_F(PrivilegedMacToolTest, GrantedRunAsksForTheAdminRightThenStreamsReadsOfAtMost4096Bytes) {
  EXPECT_EQ(run(QStringLiteral("head -c 10000 /dev/zero | tr '\\0' y; echo err >&2; exit 3")), 0);
  const std::vector<std::string> order{"create 0", "copyRights 19", "execute 0", "free 0"};
  EXPECT_EQ(authorizationDouble.calls, order);
  EXPECT_EQ(authorizationDouble.rightName, "system.privilege.admin");
  ASSERT_EQ(authorizationDouble.toolAndArguments.size(), 3u);
  EXPECT_EQ(authorizationDouble.toolAndArguments[0], "/bin/sh");
  EXPECT_EQ(authorizationDouble.toolAndArguments[1], "-c");
  QByteArray all;
  for (const QByteArray& bytes : reads_) {
    EXPECT_GE(bytes.size(), 1);
    EXPECT_LE(bytes.size(), 4096);
    all += bytes;
  }
  EXPECT_EQ(all, QByteArray(10000, 'y'));  // standard error is not on the stream
}

TEST_F(PrivilegedMacToolTest, RefusedRightReturnsItsStatusAndReleasesTheReference) {
  authorizationDouble.copyRightsStatus = -60006;  // the user cancelled
  EXPECT_EQ(run(QStringLiteral("echo never")), -60006);
  const std::vector<std::string> order{"create 0", "copyRights 19", "free 0"};
  EXPECT_EQ(authorizationDouble.calls, order);
  EXPECT_TRUE(reads_.isEmpty());
}

TEST_F(PrivilegedMacToolTest, FailedCreateReturnsAtOnceWithNothingToRelease) {
  authorizationDouble.createStatus = -60008;
  EXPECT_EQ(run(QStringLiteral("echo never")), -60008);
  EXPECT_EQ(authorizationDouble.calls, std::vector<std::string>{"create 0"});
}

TEST_F(PrivilegedMacToolTest, ToolThatCannotStartReturnsTheStatus) {
  authorizationDouble.executeStatus = -60031;
  EXPECT_EQ(run(QStringLiteral("echo never")), -60031);
  const std::vector<std::string> order{"create 0", "copyRights 19", "execute 0", "free 0"};
  EXPECT_EQ(authorizationDouble.calls, order);
  EXPECT_TRUE(reads_.isEmpty());
}

}  // namespace
