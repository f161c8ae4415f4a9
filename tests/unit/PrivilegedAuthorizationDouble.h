#pragma once

// A stand-in for the four functions of macOS's authorization service that
// runPrivilegedTool calls, with the types and constants it uses. The test
// steers it and records how it was called.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using OSStatus = int32_t;
using AuthorizationFlags = uint32_t;
struct AuthorizationOpaqueRef;
using AuthorizationRef = AuthorizationOpaqueRef*;
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
  kAuthorizationFlagPartialRights = 1 << 2,
  kAuthorizationFlagDestroyRights = 1 << 3,
  kAuthorizationFlagPreAuthorize = 1 << 4,
};
constexpr OSStatus errAuthorizationSuccess = 0;

OSStatus AuthorizationCreate(const AuthorizationRights* rights,
                             const AuthorizationEnvironment* environment, AuthorizationFlags flags,
                             AuthorizationRef* authorization);
OSStatus AuthorizationCopyRights(AuthorizationRef authorization, const AuthorizationRights* rights,
                                 const AuthorizationEnvironment* environment,
                                 AuthorizationFlags flags, AuthorizationRights** authorizedRights);
OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe);
OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags flags);

// How the stand-in answers, and what it saw.
struct AuthorizationDouble {
  OSStatus createStatus = 0;
  OSStatus copyRightsStatus = 0;
  OSStatus executeStatus = 0;
  std::vector<std::string> calls;  // in order, with the flags given
  std::string rightName;
  std::vector<std::string> toolAndArguments;
};
extern AuthorizationDouble authorizationDouble;
