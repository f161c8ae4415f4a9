// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "contract/HelperEvent.h"
#include "drives/BlockDevice.h"
#include "drives/Drive.h"
#include "drives/DriveFacts.h"

namespace tessaro {

// One privileged invocation: the program and its argument words.
struct PrivilegedCommand {
  QString tool;
  QStringList args;
};

// How a check treats the file system: repairs what it can, or only reads it
// and changes nothing.
enum class CheckMode { repair, readOnly };

// What the user asked a format to do, derived from the window's fields.
struct FormatRequest {
  Drive drive;
  QString volumeName;  // upper-cased, "UNTITLED" when blank
  std::optional<int> clusterBytes;
  // The partition's size in bytes; none: the whole drive. Set to keep a
  // format within the part of a drive that really holds data.
  std::optional<qint64> partitionBytes;
};

// The platform's disk tools: which programs to run and how to read what they
// print. DiskManager and the workflows hold the algorithms once; each platform
// supplies the invocations and parsers. Parsers are pure and raise Error on
// text they cannot read.
class DiskTools {
 public:
  virtual ~DiskTools() = default;

  // The tools of the platform this build is for.
  static std::unique_ptr<DiskTools> platformDefault();

  // Discovery: list the whole disks, then read one disk's properties.
  virtual QStringList listCommand() const = 0;
  // The list command's text, read without running it where the platform
  // reads what the command would (Linux: the kernel and udev, as lsblk
  // does); none: listCommand is run.
  virtual std::optional<QString> readList() const { return std::nullopt; }
  virtual QStringList parseDiskList(const QString& text) const = 0;
  // Listed disks that are never queried (macOS: "disk0").
  virtual bool isSkipped(const QString&) const { return false; }
  // Empty where the list's text already holds every disk's properties
  // (Linux): parseDriveInfo then reads the disk from the list's text.
  virtual QStringList infoCommand(const QString& bsdName) const = 0;
  // The drive when the disk is external or removable; none when it is not.
  virtual std::optional<Drive> parseDriveInfo(const QString& text,
                                              const QString& bsdName) const = 0;

  // Every block device in the list's text, offered or not, with the reason
  // it is not; empty where the platform does not tell.
  virtual std::vector<BlockDevice> parseBlockDevices(const QString& listText) const {
    (void)listText;
    return {};
  }

  // Partition lookup: the first partition of a whole disk.
  virtual QStringList partitionListCommand(const QString& bsdName) const = 0;
  // Raises Error(DiskManager, 2, "No partition identifier found") when the
  // text names neither a partition nor the disk.
  virtual QString parseFirstPartition(const QString& text, const QString& bsdName) const = 0;

  // Privileged work. A returned error text means the request is refused
  // before anything runs; it says what to change.
  virtual std::optional<QString> validateFormat(const FormatRequest& request) const = 0;
  virtual PrivilegedCommand formatCommand(const FormatRequest& request) const = 0;
  // Check the file system at target (a partition or whole disk, without
  // "/dev/"), repairing it or only reading it.
  virtual PrivilegedCommand checkCommand(const QString& targetBsdName, CheckMode mode) const = 0;
  // Whether checkCommand's exit status tells what the check found, as fsck(8)
  // counts (Linux: the helper passes fsck.fat's on); elsewhere it tells only
  // whether the check could be done.
  virtual bool checkStatusTellsFinding() const { return false; }
  // Print the facts of the disk and, when known, of its partition.
  virtual PrivilegedCommand infoReportCommand(
      const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const = 0;
  // The facts a run of infoReportCommand told: where the platform's helper
  // tells typed events (Linux), its one result event, else what it printed
  // (output, the lines for people). None when it told none. Raises Error
  // when they cannot be read.
  virtual std::optional<DriveFacts> parseDriveFacts(
      const QString& output, const std::optional<contract::HelperEvent>& result) const = 0;
  // Test how much of the whole disk really holds data (destroys its data):
  // quickly, or writing and reading back every block (full); none where the
  // platform has no capacity test.
  virtual std::optional<PrivilegedCommand> probeCommand(const QString& diskBsdName,
                                                        bool full = false) const {
    (void)diskBsdName;
    (void)full;
    return std::nullopt;
  }
  // Whether formatCommand reads the drive back after its last write and
  // tells what it found in a result event (Linux): a format that does not
  // tell it did not succeed, whatever its exit status.
  virtual bool verifiesFormat() const { return false; }
  // Whether the privileged tool runs the format, check and probe commands of
  // several drives as one run over them all (Linux: the helper's batch verb),
  // asked for rights once.
  virtual bool runsBatches() const { return false; }
  // The partition a format makes on the drive, as a device path.
  virtual QString formattedPartitionPath(const Drive& drive) const = 0;
  // True where the privileged steps leave a volume unmounted and the desktop
  // user mounts it afterwards (Linux); false where the command line mounts it.
  virtual bool mountsAsDesktopUser() const { return false; }

  // The system tools the work runs, by name (the About box lists them).
  virtual QStringList toolNames() const { return {}; }

  // What to install for required tools that are missing, one line per package.
  virtual QStringList missingToolNotices() const { return {}; }

  // Whether an event about a device (its kernel name, without "/dev/") can
  // change the drive list: the device, or the disk it is a partition of,
  // could be offered, or it is one of the listed drives or a partition of
  // one (a device that has gone can no longer be looked at). Where the
  // platform cannot tell, every device can.
  virtual bool mayChangeDriveList(const QString& kernelName, const QList<Drive>& listed) const {
    (void)kernelName;
    (void)listed;
    return true;
  }
};

}  // namespace tessaro
