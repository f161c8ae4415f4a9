// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// Built for macOS only; the tests build this same source on Linux against a
// stand-in for the authorization service (TESSARO_AUTHORIZATION_DOUBLE names
// its header).
#if defined(TESSARO_AUTHORIZATION_DOUBLE)
#include TESSARO_AUTHORIZATION_DOUBLE
#elif defined(__APPLE__)
#include <Security/Authorization.h>
#endif

#if defined(__APPLE__) || defined(TESSARO_AUTHORIZATION_DOUBLE)

#include <unistd.h>

#include <array>
#include <cstdio>
#include <vector>

#include "exec/MacPrivilegedTool.h"

#if defined(__clang__) || defined(__GNUC__)
// AuthorizationExecuteWithPrivileges is deprecated yet still the only way to
// run a tool with an administrator's rights without installing a daemon.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif

namespace tessaro {

int32_t runPrivilegedTool(const QString& tool, const QStringList& args,
                          const PrivilegedOutputHandler& onOutput) {
  AuthorizationRef authorization = nullptr;
  OSStatus status =
      AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization);
  if (status != errAuthorizationSuccess) return status;

  AuthorizationItem right = {"system.privilege.admin", 0, nullptr, 0};
  AuthorizationRights rights = {1, &right};
  const AuthorizationFlags flags = kAuthorizationFlagInteractionAllowed |
                                   kAuthorizationFlagExtendRights |
                                   kAuthorizationFlagPreAuthorize;  // 19
  status = AuthorizationCopyRights(authorization, &rights, nullptr, flags, nullptr);
  if (status != errAuthorizationSuccess) {
    AuthorizationFree(authorization, kAuthorizationFlagDefaults);
    return status;
  }

  std::vector<QByteArray> words;
  words.reserve(args.size());
  for (const QString& arg : args) words.push_back(arg.toUtf8());
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  FILE* pipe = nullptr;
  const QByteArray toolPath = tool.toUtf8();
  status = AuthorizationExecuteWithPrivileges(authorization, toolPath.constData(),
                                              kAuthorizationFlagDefaults, argv.data(), &pipe);
  if (status != errAuthorizationSuccess) {
    AuthorizationFree(authorization, kAuthorizationFlagDefaults);
    return status;
  }

  if (pipe) {
    std::array<char, 4096> buffer{};
    const int descriptor = fileno(pipe);
    ssize_t count = 0;
    while ((count = read(descriptor, buffer.data(), buffer.size())) > 0) {
      if (onOutput) onOutput(QByteArray(buffer.data(), static_cast<qsizetype>(count)));
    }
    fclose(pipe);
  }
  AuthorizationFree(authorization, kAuthorizationFlagDefaults);
  return status;
}

}  // namespace tessaro

#endif
