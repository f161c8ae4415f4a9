// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <linux/blkpg.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "contract/HelperContract.h"
#include "helper/DeviceGuard.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"
#include "helper/MountTargets.h"
#include "helper/RequiredTools.h"
#include "helper/probe/CapacityProbe.h"
#include "helper/probe/LinuxProbeDevice.h"
#include "helper/probe/ProbeError.h"
#include "helper/probe/SurfaceTest.h"

namespace tessaro::helper {

namespace {

// How often, at most, the caller's cancel request and the disk's identity are
// checked between the probe's writes and reads.
constexpr std::chrono::milliseconds kCheckpoint{100};

// The descriptor the probe writes through, closed when the verb ends.
class ProbeDescriptor {
 public:
  explicit ProbeDescriptor(int fd) : fd_(fd) {}
  ~ProbeDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  ProbeDescriptor(const ProbeDescriptor&) = delete;
  ProbeDescriptor& operator=(const ProbeDescriptor&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Opens the locked disk for the test: exclusively, so that nothing mounts or
// claims it meanwhile, and only when it is still the device that was checked.
int openForProbe(const KernelDevice& disk) {
  const int fd = ::open(disk.path().c_str(), O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    const int error = errno;
    const std::string reason = std::strerror(error);
    if (error == EBUSY) {
      stop(HelperContract::deviceBusy,
           "Refused: " + disk.path() + " is in use by another program; nothing was written.");
    }
    if (error == EROFS || error == EACCES || error == EPERM) {
      stop(HelperContract::refusedDevice,
           "Refused: " + disk.path() + " cannot be written (" + reason + "); nothing was written.");
    }
    stop(HelperContract::toolFailed,
         "Failed: " + disk.path() + " could not be opened (" + reason + "); nothing was written.");
  }
  // A state that cannot be read is said as such, never taken for another.
  const auto unreadable = [&](const std::string& what) {
    const std::string reason = std::strerror(errno);
    ::close(fd);
    stop(HelperContract::toolFailed,
         "Failed: could not " + what + " (" + reason + "); nothing was written.");
  };
  struct stat status {};
  if (::fstat(fd, &status) != 0) unreadable("read " + disk.path());
  if (!S_ISBLK(status.st_mode) || status.st_rdev != disk.number()) {
    ::close(fd);
    stop(HelperContract::deviceChanged,
         "Stopped: " + disk.path() + " now names another device; nothing was written.");
  }
  int readOnly = 0;
  if (::ioctl(fd, BLKROGET, &readOnly) != 0)
    unreadable("tell whether " + disk.path() + " is read-only");
  if (readOnly != 0) {
    ::close(fd);
    stop(HelperContract::refusedDevice,
         "Refused: " + disk.path() + " is read-only; nothing was written.");
  }
  return fd;
}

// The partition numbers the kernel has for disk, from /sys.
std::vector<int> partitionNumbers(const KernelDevice& disk) {
  std::vector<int> numbers;
  std::error_code failed;
  const std::filesystem::path sysfs =
      std::filesystem::path("/sys/class/block") / disk.name();
  for (const auto& entry : std::filesystem::directory_iterator(sysfs, failed)) {
    std::ifstream number(entry.path() / "partition");
    int value = 0;
    if (number >> value && value > 0) numbers.push_back(value);
  }
  return numbers;
}

// The test wrote over the partition table: clears its first block, so that no
// leftover of the test can pass for a table, and has the kernel drop the
// partitions it still knows (a re-read where the disk is scanned for
// partitions; each one deleted where partitions were added by hand, as partx
// does on loop devices). A drive that stopped answering may refuse it: false
// when the first block could not be cleared or the kernel still knows a
// partition of the disk afterwards.
bool forgetPartitionTable(int fd, const KernelDevice& disk) {
  bool cleared = false;
  std::unique_ptr<char, void (*)(void*)> zeros(
      static_cast<char*>(
          std::aligned_alloc(ProbeSignature::blockBytes, ProbeSignature::blockBytes)),
      std::free);
  if (zeros) {
    std::memset(zeros.get(), 0, ProbeSignature::blockBytes);
    cleared = ::pwrite(fd, zeros.get(), ProbeSignature::blockBytes, 0) ==
                  ssize_t(ProbeSignature::blockBytes) &&
              ::fdatasync(fd) == 0;
  }
  for (const int number : partitionNumbers(disk)) {
    blkpg_partition partition{};
    partition.pno = number;
    blkpg_ioctl_arg request{};
    request.op = BLKPG_DEL_PARTITION;
    request.datalen = sizeof partition;
    request.data = &partition;
    ::ioctl(fd, BLKPG, &request);
  }
  // Where the disk is not scanned for partitions (a loop device without
  // partition scanning) the re-read is refused; what counts is what is left.
  ::ioctl(fd, BLKRRPART, 0);
  return cleared && partitionNumbers(disk).empty();
}

}  // namespace

// probe DISK [full]
int probeVerb(const std::vector<std::string>& args) {
  if (args.size() < 1 || args.size() > 2 ||
      (args.size() == 2 && args[1] != HelperContract::fullProbe))
    stop(HelperContract::usage, std::string("Usage: tessaro-helper probe DISK [full]"));
  const bool full = args.size() == 2;
  const KernelDevice disk = deviceNamed(args[0]);
  if (disk.isPartition()) {
    stop(HelperContract::refusedDevice,
         "Refused: " + disk.path() + " is a partition; a capacity test writes over a whole disk.");
  }
  HelperTools tools(std::vector<std::string>{"umount"});
  requireTools(tools);
  HeldDisk held(disk, "Cancelled: nothing was written to " + disk.path() + ".",
                "Cancelled: " + disk.path() + " holds test data now: format it before using it.");
  VerbRun& run = held.run();
  run.setWrittenNote(disk.path() + " may hold test data: format it before using it.");
  held.unmount(linuxUnmountSteps(tools.path("umount"), mountedDevices(held.tree())));
  const ProbeDescriptor descriptor(openForProbe(disk));

  // Test data goes on the drive from here on. A caller that goes away stops
  // the test like a cancel: the drive holds test data either way.
  run.markWriting(false);
  printLine("Testing the capacity of " + disk.path() +
            (full ? ": writing every block and reading it back."
                  : ": writing test blocks over its claimed size."));
  printEvent(contract::HelperEvent(ProbeProgress{}.event()));
  int shownPercent = 0;
  auto lastCheckpoint = std::chrono::steady_clock::now();
  try {
    LinuxProbeDevice target(descriptor.fd(), disk.path());
    const auto onProgress = [&](const ProbeProgress& progress) {
      const int percent = int(std::floor(progress.fraction * 100.0));
      if (percent == shownPercent) return;
      shownPercent = percent;
      printEvent(contract::HelperEvent(progress.event()));
    };
    const auto checkpoint = [&] {
      if (const auto now = std::chrono::steady_clock::now(); now - lastCheckpoint >= kCheckpoint) {
        lastCheckpoint = now;
        run.checkpoint();  // throws HelperStop when cancelled or changed
      }
      return false;
    };
    ProbeResult result = full ? SurfaceTest(target).run(onProgress, checkpoint)
                              : CapacityProbe(target).run(onProgress, checkpoint);
    result.tableCleared = forgetPartitionTable(descriptor.fd(), disk);
    // The verdict is the result event's: the caller says it in the user's language.
    printEvent(contract::HelperEvent(result.wire()));
    return result.exitStatus();
  } catch (const ProbeError& error) {
    forgetPartitionTable(descriptor.fd(), disk);
    const bool stopped = error.code() == ProbeError::stoppedResponding;
    const int status = stopped ? HelperContract::driveStopped : HelperContract::toolFailed;
    stop(status, "Failed: " + std::string(error.what()) + (stopped ? "." : "") + ' ' + disk.path() +
                     " may hold test data: format it before using it.");
  }
}

}  // namespace tessaro::helper
