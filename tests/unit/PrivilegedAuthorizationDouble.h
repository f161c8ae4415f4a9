// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

// A stand-in for the four functions of macOS's authorization service that
// runPrivilegedTool calls, with the types and constants it uses. It records
// how it was called, answers with the statuses the test sets, and starts the
// tool for real with its standard output on a pipe.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using OSStatus = int32_t;
using AuthorizationFlags = uint32_t;
using AuthorizationRef = struct AuthorizationOpaqueRef*;
struct AuthorizationItem {
  const char* name;
  size_t valueLength;
  void* value;
  uint32_t flags;
};
struct AuthorizationRights {
  uint32_t count;
  AuthorizationItem* items;
};
using AuthorizationEnvironment = AuthorizationRights;
enum : AuthorizationFlags {
  kAuthorizationFlagDefaults = 0,
  kAuthorizationFlagInteractionAllowed = 1 << 0,
  kAuthorizationFlagExtendRights = 1 << 1,
  kAuthorizationFlagPreAuthorize = 1 << 4,
};
constexpr OSStatus errAuthorizationSuccess = 0;

inline struct AuthorizationDouble {
  std::map<std::string, OSStatus> answers;  // by call ("create"); 0 when not set
  std::vector<std::string> calls;           // in order, with the flags given
  std::vector<std::string> toolAndArguments;
} authorizationDouble;

inline OSStatus AuthorizationCreate(const AuthorizationRights*, const AuthorizationEnvironment*,
                                    AuthorizationFlags flags, AuthorizationRef* authorization) {
  authorizationDouble.calls.push_back("create " + std::to_string(flags));
  static char reference;
  *authorization = reinterpret_cast<AuthorizationRef>(&reference);
  return authorizationDouble.answers["create"];
}

inline OSStatus AuthorizationCopyRights(AuthorizationRef, const AuthorizationRights* rights,
                                        const AuthorizationEnvironment*, AuthorizationFlags flags,
                                        AuthorizationRights**) {
  authorizationDouble.calls.push_back("copyRights " + std::to_string(flags) + " " +
                                      (rights->count == 1 ? rights->items[0].name : "?"));
  return authorizationDouble.answers["copyRights"];
}

inline OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef, const char* tool,
                                                   AuthorizationFlags options,
                                                   char* const* arguments, FILE** pipeOut) {
  authorizationDouble.calls.push_back("execute " + std::to_string(options));
  std::vector<std::string>& words = authorizationDouble.toolAndArguments;
  words = {tool};
  for (char* const* word = arguments; *word; ++word) words.emplace_back(*word);
  int fds[2];
  if (authorizationDouble.answers["execute"] != 0 || pipe(fds) != 0) {
    return authorizationDouble.answers["execute"];
  }
  if (fork() == 0) {
    std::vector<char*> argv{const_cast<char*>(tool)};
    argv.insert(argv.end(), arguments, arguments + words.size());  // with the closing null
    dup2(fds[1], STDOUT_FILENO);
    execv(tool, argv.data());
    _exit(127);
  }
  close(fds[1]);
  *pipeOut = fdopen(fds[0], "r");
  return 0;
}

inline OSStatus AuthorizationFree(AuthorizationRef, AuthorizationFlags flags) {
  authorizationDouble.calls.push_back("free " + std::to_string(flags));
  return 0;
}
