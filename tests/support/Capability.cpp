// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "Capability.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessaro::test {

namespace {

std::string errorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool hasProgram(const char* name) {
  for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
    if (::access((std::string(dir) + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::string findLoopDevices() {
  if (::geteuid() != 0) return "needs root to attach loop devices";
  if (!hasProgram("losetup")) return "losetup is missing: install util-linux (./setup does)";
  const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
  if (control < 0) return "no loop devices on this machine (" + errorText("/dev/loop-control") + ")";
  const int free = ::ioctl(control, LOOP_CTL_GET_FREE);
  const std::string why = free < 0 ? "no free loop device (" + errorText("LOOP_CTL_GET_FREE") + ")" : "";
  ::close(control);
  return why;
}

std::string findFuse() {
  if (std::string why = findLoopDevices(); !why.empty()) return why;
  const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
  if (fuse < 0) return "no FUSE on this machine (" + errorText("/dev/fuse") + ")";
  ::close(fuse);
  if (!hasProgram("fusermount3")) return "fusermount3 is missing: install fuse3 (./setup --tests does)";
  return {};
}

// Tried in a child, so that the test process keeps its own namespace.
std::string findMountNamespace() {
  if (::geteuid() != 0) return "needs root to make a private mount namespace";
  const pid_t child = ::fork();
  if (child < 0) return errorText("fork");
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0) ::_exit(1);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(2);
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return WIFEXITED(status) && WEXITSTATUS(status) == 2
             ? "this machine refuses to make mounts private in a new mount namespace"
             : "this machine refuses a private mount namespace (unshare CLONE_NEWNS)";
}

}  // namespace

std::string missingLoopDevices() {
  static const std::string why = findLoopDevices();
  return why;
}

std::string missingFuse() {
  static const std::string why = findFuse();
  return why;
}

std::string missingMountNamespace() {
  static const std::string why = findMountNamespace();
  return why;
}

}  // namespace tessaro::test
