// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "drives/CapacityProbe.h"
#include "drives/linux/LinuxProbeDevice.h"
#include "exec/Error.h"
#include "exec/HelperContract.h"
#include "helper/HeldDisk.h"
#include "helper/HelperVerbs.h"

namespace tessaro::helper {

namespace {

// How often, at most, the caller's cancel request and the disk's identity are
// checked between the probe's writes and reads.
constexpr qint64 kCheckpointMs = 100;

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
  const int fd = ::open(disk.path().toLocal8Bit().constData(),
                        O_RDWR | O_DIRECT | O_EXCL | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    const int error = errno;
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (error == EBUSY) {
      stop(HelperContract::deviceBusy, QStringLiteral("Refused: ") + disk.path() +
                                           QStringLiteral(" is in use by another program; "
                                                          "nothing was written."));
    }
    if (error == EROFS || error == EACCES || error == EPERM) {
      stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + disk.path() +
                                              QStringLiteral(" cannot be written (") + reason +
                                              QStringLiteral("); nothing was written."));
    }
    stop(HelperContract::toolFailed, QStringLiteral("Failed: ") + disk.path() +
                                         QStringLiteral(" could not be opened (") + reason +
                                         QStringLiteral("); nothing was written."));
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISBLK(status.st_mode) || status.st_rdev != disk.number()) {
    ::close(fd);
    stop(HelperContract::deviceChanged, QStringLiteral("Stopped: ") + disk.path() +
                                            QStringLiteral(" now names another device; nothing "
                                                           "was written."));
  }
  int readOnly = 0;
  if (::ioctl(fd, BLKROGET, &readOnly) != 0 || readOnly != 0) {
    ::close(fd);
    stop(HelperContract::refusedDevice, QStringLiteral("Refused: ") + disk.path() +
                                            QStringLiteral(" is read-only; nothing was written."));
  }
  return fd;
}

}  // namespace

// probe DISK
int probeVerb(const QStringList& args) {
  if (args.size() != 1)
    stop(HelperContract::usage, QStringLiteral("Usage: tessaro-helper probe DISK"));
  const KernelDevice disk = deviceNamed(args[0]);
  if (disk.isPartition()) {
    stop(HelperContract::refusedDevice,
         QStringLiteral("Refused: ") + disk.path() +
             QStringLiteral(" is a partition; a capacity test writes over a whole disk."));
  }
  HelperTools tools({QStringLiteral("lsblk"), QStringLiteral("umount")});
  requireTools(tools);
  HeldDisk held(
      disk, tools,
      QStringLiteral("Cancelled: nothing was written to ") + disk.path() + QStringLiteral("."),
      QStringLiteral("Cancelled: ") + disk.path() +
          QStringLiteral(" holds test data now: format it before using it."));
  VerbRun& run = held.run();
  run.setWrittenNote(disk.path() +
                     QStringLiteral(" may hold test data: format it before using it."));
  QList<ToolStep> unmountSteps;
  for (const QString& mounted : mountedDevices(held.tree()))
    unmountSteps.append({{tools.path(QStringLiteral("umount")), mounted}, {}});
  held.unmount(unmountSteps);
  const ProbeDescriptor descriptor(openForProbe(disk));

  // Test data goes on the drive from here on. A caller that goes away stops
  // the test like a cancel: the drive holds test data either way.
  run.markWriting(false);
  printLine(QStringLiteral("Testing the capacity of ") + disk.path() +
            QStringLiteral(": writing test blocks over its whole claimed size."));
  int shownPercent = -1;
  QElapsedTimer sinceCheckpoint;
  sinceCheckpoint.start();
  try {
    LinuxProbeDevice target(descriptor.fd(), disk.path());
    CapacityProbe probe(target);
    const ProbeResult result = probe.run(
        [&](const ProbeProgress& progress) {
          const int percent = int(std::floor(progress.fraction * 100.0));
          if (percent == shownPercent) return;
          shownPercent = percent;
          printLine(progress.line());
        },
        [&] {
          if (sinceCheckpoint.elapsed() >= kCheckpointMs) {
            sinceCheckpoint.restart();
            run.checkpoint();  // throws HelperStop when cancelled or changed
          }
          return false;
        });
    for (const QString& line : result.details()) printLine(line);
    printLine(result.verdict());
    return result.genuine() ? HelperContract::success : HelperContract::counterfeit;
  } catch (const Error& error) {
    stop(HelperContract::toolFailed, QStringLiteral("Failed: ") + error.description() +
                                         QLatin1Char(' ') + disk.path() +
                                         QStringLiteral(" may hold test data: format it before "
                                                        "using it."));
  }
}

}  // namespace tessaro::helper
