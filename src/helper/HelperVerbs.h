#pragma once

#include <QStringList>

namespace tessaro::helper {

// Exit statuses of the helper's own refusals, distinct from the tools'
// statuses it passes on (fsck.fat and mkfs.fat stay below 64).
enum HelperStatus : int {
  kUsage = 64,               // unknown verb or wrong arguments
  kRefusedDevice = 65,       // not a device Tessaro may touch
  kRefusedRequest = 66,      // the request itself is invalid (name, cluster size)
  kVerificationFailed = 67,  // the tools succeeded but the drive does not hold what was asked
};

// The marker line printed first by every run, so that the caller can tell
// the helper's own statuses from pkexec's 126 and 127.
inline constexpr const char* kStartedMarker = "@@tessaro-helper-started@@";

// One function per verb; each takes the words after the verb and returns the
// process's exit status.
int formatVerb(const QStringList& args);
int checkVerb(const QStringList& args);
int infoVerb(const QStringList& args);

}  // namespace tessaro::helper
