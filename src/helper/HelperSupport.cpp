// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/HelperSupport.h"

#include <sys/sysmacros.h>

#include <QFile>
#include <algorithm>

#include "contract/HelperContract.h"
#include "drives/linux/LinuxDiskRules.h"
#include "helper/HelperStop.h"
#include "helper/LoopBacking.h"
#include "drives/linux/MountInfo.h"
#include "helper/SectorRead.h"
#include "drives/linux/SysfsBlockTree.h"

namespace tessaro::helper {

namespace {

bool isWholeDisk(const std::string& type) { return type == "disk" || type == "loop"; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Takes from text, at *at, one to max characters that pass; whether it did.
template <typename Pass>
bool takeRun(const QByteArray& text, qsizetype* at, int max, Pass pass) {
  qsizetype end = *at;
  while (end < text.size() && end - *at < max && pass(text[end])) ++end;
  if (end == *at || (end < text.size() && end - *at == max && pass(text[end]))) return false;
  *at = end;
  return true;
}

// A locale name as glibc takes it ("de_DE.UTF-8", "sr_RS@latin", "C"), and
// no path: glibc loads a locale named with a slash from that path. The
// language, then optionally "_" and a territory, "." and a codeset, "@" and
// a modifier: [A-Za-z]{1,8}(_[A-Za-z0-9]{1,8})?(\.[A-Za-z0-9_-]{1,16})?
// (@[A-Za-z0-9_-]{1,16})?, read by hand (a regular expression's compilation
// costs more than the helper's whole guard).
bool isLocaleName(const QByteArray& value) {
  const auto alphanumeric = [](char c) { return isAsciiLetter(c) || isAsciiDigit(c); };
  const auto word = [&](char c) { return alphanumeric(c) || c == '_' || c == '-'; };
  qsizetype at = 0;
  if (!takeRun(value, &at, 8, isAsciiLetter)) return false;
  const auto part = [&](char lead, int max, auto pass) {
    if (at >= value.size() || value[at] != lead) return true;  // absent
    ++at;
    return takeRun(value, &at, max, pass);
  };
  return part('_', 8, alphanumeric) && part('.', 16, word) && part('@', 16, word) &&
         at == value.size();
}

void collectNumbers(const LsblkDevice& node, QList<dev_t>& into) {
  into << node.number;
  for (const LsblkDevice& child : node.children) collectNumbers(child, into);
}

void collectMounted(const LsblkDevice& node, QStringList& into) {
  for (const LsblkDevice& child : node.children) collectMounted(child, into);
  const bool mounted = std::any_of(node.mountpoints.begin(), node.mountpoints.end(),
                                   [](const std::string& m) { return m != "[SWAP]"; });
  if (mounted) into << QString::fromStdString(node.path);
}

}  // namespace

KernelDevice deviceNamed(const QString& name) {
  StopReason why;
  const KernelDevice device = KernelDevice::find(name, &why);
  if (!device.isValid()) {
    stop(why.status, why.status == HelperContract::toolFailed
                         ? why.lineWithoutStop() + "; nothing was written."
                         : why.line);
  }
  return device;
}

void requireTools(const HelperTools& tools) {
  const std::vector<std::string> missing = tools.missingLines();
  if (missing.empty()) return;
  std::string lines = missing.front();
  for (std::size_t i = 1; i < missing.size(); ++i) lines += '\n' + missing[i];
  stop(HelperContract::toolMissing, lines, tools.missing().front());
}

std::optional<QByteArray> readSector(const QString& devicePath, qint64 offset, int bytes,
                                     QString* failure) {
  std::string why;
  const std::optional<std::string> data = SectorRead::of(
      QFile::encodeName(devicePath).toStdString(), std::uint64_t(offset), std::size_t(bytes), &why);
  if (!data) {
    *failure = QString::fromLocal8Bit(why);
    return std::nullopt;
  }
  return QByteArray::fromStdString(*data);
}

LsblkDevice guardedDisk(const KernelDevice& device) {
  const QString diskPath = QStringLiteral("/dev/") + device.diskName();
  std::string why;
  const std::optional<LsblkDevice> read =
      SysfsBlockTree::read(device.diskName().toStdString(), SysfsBlockTree::Sources{}, &why);
  const QString failure = QString::fromStdString(why);
  if (!read) {
    if (failure.startsWith(QLatin1String("could not read "))) {
      stop(HelperContract::toolFailed,
           QStringLiteral("Failed: ") + failure + QStringLiteral("; nothing was written."));
    }
    if (failure.startsWith(QLatin1String("there is no block device named "))) {
      stop(HelperContract::noSuchDevice, QStringLiteral("Stopped: ") + failure +
                                             QStringLiteral(" any more; nothing was written."));
    }
    stop(HelperContract::toolFailed, QStringLiteral("Failed: what ") + diskPath +
                                         QStringLiteral(" holds could not be told (") + failure +
                                         QStringLiteral("); nothing was written."));
  }
  const LsblkDevice& disk = *read;
  const QString refused = QStringLiteral("Refused: ") + device.path() + QLatin1Char(' ');
  bool known = disk.path == diskPath.toStdString() && isWholeDisk(disk.type);
  // The record is of the device the caller named, by number too: a name
  // that changed hands since it was looked up is not taken for it.
  const LsblkDevice* named = &disk;
  if (known && device.isPartition()) {
    named = nullptr;
    for (const LsblkDevice& child : disk.children)
      if (child.path == device.path().toStdString() && child.type == "part") named = &child;
  }
  if (!known || !named) {
    stop(HelperContract::refusedDevice,
         refused + QStringLiteral("is neither a whole disk nor a partition of one."));
  }
  if (named->number != device.number()) {
    stop(HelperContract::deviceChanged, QStringLiteral("Stopped: ") + device.path() +
                                            QStringLiteral(" changed while it was being "
                                                           "checked; nothing was written."));
  }
  if (holdsRunningSystem(disk)) {
    stop(HelperContract::refusedDevice,
         refused +
             QStringLiteral("holds part of the running system (a mount outside /media, swap, LVM, "
                            "RAID or encryption)."));
  }
  if (disk.type != "loop") {
    // In the words `tessaro-cli list --all` uses for it.
    if (const auto reason = linuxNotOfferedReason(disk, kSysfsRoot.toStdString()))
      stop(HelperContract::refusedDevice, refused + QStringLiteral("is not offered: ") +
                                              QString::fromStdString(reason->phrase()) +
                                              QLatin1Char('.'));
  }
  // What a loop device serves, and any loop device serving this disk.
  const KernelDevice wholeDisk = device.isPartition() ? deviceNamed(device.diskName()) : device;
  QList<dev_t> numbers;
  collectNumbers(disk, numbers);
  if (const auto loopRefused = loopRefusal(wholeDisk, numbers)) {
    stop(loopRefused->status,
         loopRefused->status == HelperContract::toolFailed
             ? loopRefused->lineWithoutStop() + "; nothing was written."
             : loopRefused->line);
  }
  return disk;
}

QStringList mountedDevices(const LsblkDevice& tree) {
  QStringList mounted;
  collectMounted(tree, mounted);
  return mounted;
}

}  // namespace tessaro::helper

namespace tessaro::helper {

void lockDisk(DiskLock& lock, VerbRun& run, const KernelDevice& device) {
  const KernelDevice disk = device.isPartition() ? deviceNamed(device.diskName()) : device;
  QString why;
  switch (lock.lock(disk, &why)) {
    case DiskLock::Outcome::locked:
      run.setLock(&lock);
      return;
    case DiskLock::Outcome::busy:
      stop(HelperContract::deviceBusy, why);
    case DiskLock::Outcome::changed:
      stop(HelperContract::deviceChanged, why);
    case DiskLock::Outcome::gone:
      stop(HelperContract::noSuchDevice, why);
    case DiskLock::Outcome::failed:
      break;
  }
  stop(HelperContract::toolFailed, why);
}

QStringList readMountTargets(const KernelDevice& device) {
  std::string failure;
  const std::optional<MountInfo> mounts = MountInfo::readFile("/proc/self/mountinfo", &failure);
  if (!mounts) {
    stop(HelperContract::toolFailed, QStringLiteral("Failed: whether ") + device.path() +
                                         QStringLiteral(" is mounted could not be told (") +
                                         QString::fromStdString(failure) +
                                         QStringLiteral("); nothing was changed."));
  }
  QStringList targets;
  for (const std::string& target : mounts->targetsOf(device.number(), device.path().toStdString()))
    targets << QString::fromStdString(target);
  return targets;
}

}  // namespace tessaro::helper

namespace tessaro::helper {

bool isLanguageVariable(const QByteArray& variable) {
  const qsizetype equals = variable.indexOf('=');
  if (equals < 0) return false;
  // LANG, LANGUAGE or LC_ and one to sixteen capitals.
  const QByteArray name = variable.left(equals);
  qsizetype at = 3;
  const bool category = name.startsWith("LC_") &&
                        takeRun(name, &at, 16, [](char c) { return c >= 'A' && c <= 'Z'; }) &&
                        at == name.size();
  if (name != "LANG" && name != "LANGUAGE" && !category) return false;
  const QByteArray value = variable.mid(equals + 1);
  if (name == "LANGUAGE") {
    for (const QByteArray& part : value.split(':'))
      if (!isLocaleName(part)) return false;
    return true;
  }
  return isLocaleName(value);
}

}  // namespace tessaro::helper
