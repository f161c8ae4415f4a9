#pragma once

#include <QStringList>

#include "exec/HelperContract.h"

namespace tessaro::helper {

enum HelperStatus : int {
  kUsage = HelperContract::usage,
  kRefusedDevice = HelperContract::refusedDevice,
  kRefusedRequest = HelperContract::refusedRequest,
  kVerificationFailed = HelperContract::verificationFailed,
};

inline constexpr const char* kStartedMarker = HelperContract::startMarker;

// One function per verb; each takes the words after the verb and returns the
// process's exit status.
int formatVerb(const QStringList& args);
int checkVerb(const QStringList& args);
int infoVerb(const QStringList& args);

}  // namespace tessaro::helper
