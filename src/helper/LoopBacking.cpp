// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/LoopBacking.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

QByteArray sysfsBackingPath(const QString& loopName) {
  QFile file(QStringLiteral("/sys/class/block/") + loopName + QStringLiteral("/loop/backing_file"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray path = file.read(8192);
  if (path.endsWith('\n')) path.chop(1);
  return path;
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

}  // namespace

std::optional<LoopBacking> LoopBacking::of(const KernelDevice& device, QString* failure) {
  if (major(device.number()) != kLoopMajor || device.isPartition()) return std::nullopt;
  const int fd =
      ::open(QFile::encodeName(device.path()).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  loop_info64 info{};
  if (fd < 0 || ::ioctl(fd, LOOP_GET_STATUS64, &info) != 0) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (error == ENXIO) return std::nullopt;  // serves nothing
    *failure = QString::fromLocal8Bit(std::strerror(error));
    return std::nullopt;
  }
  ::close(fd);
  LoopBacking backing;
  backing.loopName_ = device.name();
  backing.backingDevice_ = fromKernelNumber(info.lo_rdevice);
  if (backing.backingDevice_ == 0) {
    backing.fileSystem_ = fromKernelNumber(info.lo_device);
    backing.inode_ = ino_t(info.lo_inode);
  }
  backing.path_ = sysfsBackingPath(device.name());
  backing.readOnly_ = (info.lo_flags & LO_FLAGS_READ_ONLY) != 0;
  return backing;
}

QList<LoopBacking> LoopBacking::allBound(const QString& except) {
  // loop[0-9]+
  const auto isLoopName = [](const QString& name) {
    return name.size() > 4 && name.startsWith(QLatin1String("loop")) &&
           std::all_of(name.begin() + 4, name.end(), [](QChar c) {
             return c >= QLatin1Char('0') && c <= QLatin1Char('9');
           });
  };
  QList<LoopBacking> bound;
  const QStringList names =
      QDir(QStringLiteral("/sys/class/block")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    if (name == except || !isLoopName(name)) continue;
    const QByteArray path = sysfsBackingPath(name);
    if (path.isEmpty()) continue;  // serves nothing
    QString refusal, failure;
    bool usage = false;
    // A loop device that detaches itself at its last close is not opened:
    // the helper's close must never be that last one.
    QFile autoclear(QStringLiteral("/sys/class/block/") + name + QStringLiteral("/loop/autoclear"));
    const bool clearsItself = autoclear.open(QIODevice::ReadOnly) && autoclear.read(1) == "1";
    const KernelDevice loop =
        clearsItself ? KernelDevice() : KernelDevice::find(name, &refusal, &usage);
    if (loop.isValid()) {
      if (const auto backing = of(loop, &failure)) {
        bound << *backing;
        continue;
      }
    }
    // Its status is not read (no node for it here, or it clears itself):
    // what its sysfs path leads to now is the best there is.
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) continue;
    LoopBacking backing;
    backing.loopName_ = name;
    backing.path_ = path;
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
  if (backingDevice_ != 0) return QStringLiteral("the block device ") + blockDeviceText(backingDevice_);
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
  const bool decimal = !text.isEmpty() && text.size() <= 10 &&
                       std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  bool ok = false;
  const qulonglong uid = text.toULongLong(&ok);
  if (decimal && ok && uid < 0xFFFFFFFFull) requestingUid = uid_t(uid);
}

std::optional<QString> loopRefusal(const KernelDevice& disk, const QList<dev_t>& diskNumbers) {
  QString failure;
  const std::optional<LoopBacking> own = LoopBacking::of(disk, &failure);
  if (!failure.isEmpty()) {
    return refused(disk) + QStringLiteral(" is a loop device whose backing cannot be read (") +
           failure + QStringLiteral("); nothing was written.");
  }
  const QList<LoopBacking> others = LoopBacking::allBound(disk.name());
  if (own) {
    const QString serves = refused(disk) + QStringLiteral(" is a loop device over ") +
                           own->describe();
    if (own->backingDevice() != 0) {
      return serves + QStringLiteral(
                          ": a disk is formatted, checked or tested under its own name, where "
                          "its mounts and users can be seen; nothing was written.");
    }
    const std::optional<uid_t> owner = own->fileOwner();
    if (!owner) {
      return serves + QStringLiteral(", which can no longer be found (deleted or moved); "
                                     "nothing was written.");
    }
    const std::optional<uid_t> user = requestingUser();
    if (!user || *owner != *user) {
      return serves + QStringLiteral(", which belongs to user ") + QString::number(*owner) +
             QStringLiteral(", not to the user who asked (") +
             (user ? QStringLiteral("user ") + QString::number(*user)
                   : QStringLiteral("unknown")) +
             QStringLiteral("); nothing was written.");
    }
    for (const LoopBacking& other : others) {
      if (own->sameFileAs(other)) {
        return serves + QStringLiteral(", which /dev/") + other.loopName() +
               QStringLiteral(" serves too: a write through one loop device corrupts what the "
                              "other shows; detach /dev/") +
               other.loopName() + QStringLiteral(" first. Nothing was written.");
      }
    }
  }
  for (const LoopBacking& other : others) {
    if (other.backingDevice() != 0 && diskNumbers.contains(other.backingDevice())) {
      return refused(disk) + QStringLiteral(" is in use: the loop device /dev/") +
             other.loopName() + QStringLiteral(" serves ") + blockDeviceText(other.backingDevice()) +
             QStringLiteral("; detach it first. Nothing was written.");
    }
  }
  return std::nullopt;
}

}  // namespace tessaro::helper
