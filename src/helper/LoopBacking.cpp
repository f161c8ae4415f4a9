// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LoopBacking.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "contract/HelperContract.h"
#include "drives/linux/KernelFile.h"
#include "exec/VisibleText.h"

namespace tessaro::helper {

namespace {

constexpr unsigned kLoopMajor = 7;

std::optional<uid_t> requestingUid;

// The loop driver reports device numbers in the kernel's own encoding.
dev_t fromKernelNumber(quint64 number) {
  const unsigned majorNumber = unsigned((number & 0xfff00) >> 8);
  const unsigned minorNumber = unsigned((number & 0xff) | ((number >> 12) & 0xfff00));
  return makedev(majorNumber, minorNumber);
}

QString readFailure(const std::string& path, int error) {
  return QString::fromStdString(KernelFile::failure(path, error));
}

// A file of the loop device's sysfs directory (loop/backing_file,
// loop/autoclear): its text without the line feed; empty when the device
// serves nothing (the directory is there only while it does). None with
// *failure when it cannot be read.
std::optional<QByteArray> loopAttribute(const QString& loopName, const char* file,
                                        QString* failure) {
  const std::string path = "/sys/class/block/" + loopName.toStdString() + "/loop/" + file;
  const KernelFile::Bytes text = KernelFile::read(path, 8192);
  if (text.error == ENOENT) return QByteArray();
  if (text.error != 0) {
    *failure = readFailure(path, text.error);
    return std::nullopt;
  }
  QByteArray value = QByteArray::fromStdString(text.bytes);
  if (value.endsWith('\n')) value.chop(1);
  return value;
}

QString numberText(dev_t number) {
  return QString::number(major(number)) + QLatin1Char(':') + QString::number(minor(number));
}

// The block device a number stands for, as "/dev/NAME (MAJ:MIN)".
QString blockDeviceText(dev_t number) {
  const QString link = QFile::symLinkTarget(QStringLiteral("/sys/dev/block/") + numberText(number));
  const QString name = QFileInfo(link).fileName();
  return (name.isEmpty() ? QStringLiteral("a block device")
                         : QStringLiteral("/dev/") + visibleText(name, LineFeeds::escape)) +
         QStringLiteral(" (") + numberText(number) + QLatin1Char(')');
}

QString refused(const KernelDevice& disk) { return QStringLiteral("Refused: ") + disk.path(); }

StopReason failed(const QString& failure) {
  return {HelperContract::toolFailed, QStringLiteral("Failed: ") + failure + QLatin1Char('.')};
}

}  // namespace

std::optional<LoopBacking> LoopBacking::of(const KernelDevice& device, QString* failure,
                                           int* error) {
  if (major(device.number()) != kLoopMajor || device.isPartition()) return std::nullopt;
  const QString statusOf =
      QStringLiteral("could not read the loop status of ") + device.path() + QStringLiteral(": ");
  const int fd =
      ::open(QFile::encodeName(device.path()).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (error) *error = errno;
    *failure = statusOf + QString::fromLocal8Bit(std::strerror(errno));
    return std::nullopt;
  }
  loop_info64 info{};
  const bool told = ::ioctl(fd, LOOP_GET_STATUS64, &info) == 0;
  const int statusError = errno;
  ::close(fd);
  if (!told) {
    if (statusError == ENXIO) return std::nullopt;  // serves nothing
    if (error) *error = statusError;
    *failure = statusOf + QString::fromLocal8Bit(std::strerror(statusError));
    return std::nullopt;
  }
  LoopBacking backing;
  backing.loopName_ = device.name();
  backing.backingDevice_ = fromKernelNumber(info.lo_rdevice);
  if (backing.backingDevice_ == 0) {
    backing.fileSystem_ = fromKernelNumber(info.lo_device);
    backing.inode_ = ino_t(info.lo_inode);
  }
  backing.offset_ = info.lo_offset;
  backing.sizeLimit_ = info.lo_sizelimit;
  const std::optional<QByteArray> path = loopAttribute(device.name(), "backing_file", failure);
  if (!path) return std::nullopt;
  backing.path_ = *path;
  backing.readOnly_ = (info.lo_flags & LO_FLAGS_READ_ONLY) != 0;
  return backing;
}

std::optional<QList<LoopBacking>> LoopBacking::allBound(const QString& except, QString* failure) {
  // loop[0-9]+
  const auto isLoopName = [](const QString& name) {
    return name.size() > 4 && name.startsWith(QLatin1String("loop")) &&
           std::all_of(name.begin() + 4, name.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
  };
  const KernelFile::Names names = KernelFile::list("/sys/class/block");
  if (names.error != 0) {
    *failure = readFailure("/sys/class/block", names.error);
    return std::nullopt;
  }
  QList<LoopBacking> bound;
  for (const std::string& entry : names.names) {
    const QString name = QString::fromStdString(entry);
    if (name == except || !isLoopName(name)) continue;
    const std::optional<QByteArray> path = loopAttribute(name, "backing_file", failure);
    if (!path) return std::nullopt;
    if (path->isEmpty()) continue;  // serves nothing
    // A loop device that detaches itself at its last close is not opened:
    // the helper's close must never be that last one.
    const std::optional<QByteArray> autoclear = loopAttribute(name, "autoclear", failure);
    if (!autoclear) return std::nullopt;
    const bool clearsItself = autoclear->startsWith('1');
    StopReason why;
    const KernelDevice loop = clearsItself ? KernelDevice() : KernelDevice::find(name, &why);
    if (!loop.isValid() && !clearsItself) {
      if (why.status == HelperContract::noSuchDevice) continue;  // detached meanwhile
      if (why.status == HelperContract::toolFailed) {
        *failure = QString::fromStdString(why.lineWithoutStop()).mid(8);  // without "Failed: " and the full stop
        return std::nullopt;
      }
    }
    if (loop.isValid()) {
      QString statusFailure;
      int statusError = 0;
      if (const auto backing = of(loop, &statusFailure, &statusError)) {
        bound << *backing;
        continue;
      }
      if (statusError == ENOTCONN) continue;  // its file system no longer answers
      if (!statusFailure.isEmpty()) {
        *failure = statusFailure;
        return std::nullopt;
      }
      continue;  // detached meanwhile
    }
    // Its status is not read (no node for it here, or it clears itself):
    // what its sysfs path leads to now is the best there is.
    struct stat info {};
    if (::stat(path->constData(), &info) != 0) {
      if (errno == ENOENT) continue;    // gone from where it was: not the file of anyone's path
      if (errno == ENOTCONN) continue;  // its file system no longer answers
      *failure = readFailure(path->toStdString(), errno);
      return std::nullopt;
    }
    LoopBacking backing;
    backing.loopName_ = name;
    backing.path_ = *path;
    if (S_ISBLK(info.st_mode)) {
      backing.backingDevice_ = info.st_rdev;
    } else {
      backing.fileSystem_ = info.st_dev;
      backing.inode_ = info.st_ino;
    }
    bound << backing;
  }
  return bound;
}

std::optional<StopReason> LoopBacking::change(const KernelDevice& loop) const {
  QString failure;
  const std::optional<LoopBacking> now = of(loop, &failure);
  if (!failure.isEmpty()) return failed(failure);
  const QString stopped = QStringLiteral("Stopped: ") + loop.path();
  if (!now || now->backingDevice_ != backingDevice_ || now->fileSystem_ != fileSystem_ ||
      now->inode_ != inode_) {
    return StopReason{
        HelperContract::deviceChanged,
        stopped + QStringLiteral(" no longer serves ") + describe() + QLatin1Char('.')};
  }
  if (now->offset_ != offset_ || now->sizeLimit_ != sizeLimit_) {
    return StopReason{HelperContract::deviceChanged,
                      stopped + QStringLiteral(" now serves another part of ") + describe() +
                          QStringLiteral(" (its offset or size limit was changed).")};
  }
  const std::optional<QList<LoopBacking>> others = allBound(loop.name(), &failure);
  if (!others) return failed(failure);
  for (const LoopBacking& other : *others) {
    if (sameFileAs(other)) {
      return StopReason{HelperContract::deviceChanged,
                        stopped + QStringLiteral(" serves ") + describe() +
                            QStringLiteral(", which /dev/") + other.loopName() +
                            QStringLiteral(" now serves too: a write through one loop device "
                                           "corrupts what the other shows.")};
    }
  }
  return std::nullopt;
}

std::optional<uid_t> LoopBacking::fileOwner() const {
  if (backingDevice_ != 0 || path_.isEmpty()) return std::nullopt;
  struct stat info {};
  if (::stat(path_.constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_dev != fileSystem_ || info.st_ino != inode_) {
    return std::nullopt;
  }
  return info.st_uid;
}

QString LoopBacking::describe() const {
  if (backingDevice_ != 0)
    return QStringLiteral("the block device ") + blockDeviceText(backingDevice_);
  return QStringLiteral("the file ") + visibleText(QFile::decodeName(path_), LineFeeds::escape);
}

std::optional<uid_t> requestingUser() { return requestingUid; }

void rememberRequestingUser(const char* pkexecUid) {
  if (!pkexecUid) {
    requestingUid = ::getuid();
    return;
  }
  // [0-9]{1,10}, below 2^32 - 1 (which is no user).
  const QByteArray text(pkexecUid);
  const bool decimal =
      !text.isEmpty() && text.size() <= 10 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  bool ok = false;
  const qulonglong uid = text.toULongLong(&ok);
  if (decimal && ok && uid < 0xFFFFFFFFull) requestingUid = uid_t(uid);
}

std::optional<StopReason> loopRefusal(const KernelDevice& disk, const QList<dev_t>& diskNumbers) {
  QString failure;
  const std::optional<LoopBacking> own = LoopBacking::of(disk, &failure);
  if (!failure.isEmpty()) return failed(failure);
  const std::optional<QList<LoopBacking>> others = LoopBacking::allBound(disk.name(), &failure);
  if (!others) return failed(failure);
  const auto refusal = [](const QString& line) {
    return StopReason{HelperContract::refusedDevice, line};
  };
  if (own) {
    const QString serves =
        refused(disk) + QStringLiteral(" is a loop device over ") + own->describe();
    if (own->backingDevice() != 0) {
      return refusal(
          serves + QStringLiteral(": a disk is formatted, checked or tested under its own name, "
                                  "where its mounts and users can be seen; nothing was written."));
    }
    const std::optional<uid_t> owner = own->fileOwner();
    if (!owner) {
      return refusal(serves + QStringLiteral(", which can no longer be found (deleted or moved); "
                                             "nothing was written."));
    }
    const std::optional<uid_t> user = requestingUser();
    if (!user || *owner != *user) {
      return refusal(
          serves + QStringLiteral(", which belongs to user ") + QString::number(*owner) +
          QStringLiteral(", not to the user who asked (") +
          (user ? QStringLiteral("user ") + QString::number(*user) : QStringLiteral("unknown")) +
          QStringLiteral("); nothing was written."));
    }
    for (const LoopBacking& other : *others) {
      if (own->sameFileAs(other)) {
        return refusal(serves + QStringLiteral(", which /dev/") + other.loopName() +
                       QStringLiteral(" serves too: a write through one loop device corrupts what "
                                      "the other shows; detach /dev/") +
                       other.loopName() + QStringLiteral(" first. Nothing was written."));
      }
    }
  }
  for (const LoopBacking& other : *others) {
    if (other.backingDevice() != 0 && diskNumbers.contains(other.backingDevice())) {
      return refusal(refused(disk) + QStringLiteral(" is in use: the loop device /dev/") +
                     other.loopName() + QStringLiteral(" serves ") +
                     blockDeviceText(other.backingDevice()) +
                     QStringLiteral("; detach it first. Nothing was written."));
    }
  }
  return std::nullopt;
}

}  // namespace tessaro::helper
