// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "LoopDisk.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "SystemTool.h"

namespace tessaro::test {

namespace {

constexpr qint64 kDataBytes = 256 * 1024;
constexpr qint64 kBootSectorFlagsOffset = 0x41;  // FAT32: bit 0 is the dirty flag

// Flushes what writers left in a block device's page cache down to the loop
// driver and so into the image file.
void flushDevice(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The file (or block device) the loop device NAME serves, from sysfs; empty when unbound.
QString backingFile(const QString& name) {
  QFile file(QStringLiteral("/sys/block/%1/loop/backing_file").arg(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).trimmed();
}

}  // namespace

LoopDisk::LoopDisk(const Options& options)
    : backing_(options.over.isEmpty() ? imagePath() : options.over) {
  if (!dir_.isValid() || (options.over.isEmpty() && !makeImage(options))) return;
  if (!options.attach) {
    ready_ = true;
    return;
  }
  QStringList args{"--find", "--show", "--partscan"};
  if (options.readOnly) args << "--read-only";
  if (options.sectorBytes != 512) args << "--sector-size" << QString::number(options.sectorBytes);
  const ToolRun attach = runTool("losetup", args << backing_);
  const QString device = attach.output.trimmed().split(QLatin1Char('\n')).last();
  if (attach.status != 0 || !device.startsWith(QLatin1String("/dev/loop"))) return;
  name_ = device.mid(5);
  scanPartitions();
  ready_ = attached() && (options.blank || QFileInfo::exists(partitionPath()));
}

LoopDisk::~LoopDisk() { detach(); }

bool LoopDisk::makeImage(const Options& options) {
  QFile image(imagePath());
  if (!image.open(QIODevice::WriteOnly) || !image.resize(options.bytes)) return false;
  image.close();
  if (options.blank) return true;
  const QString sectors = QString::number((options.bytes - kPartitionOffset) / 1024);
  if (runTool("sfdisk", {"--quiet", imagePath()}, "start=2048, type=c\n").status != 0 ||
      runTool("mkfs.fat", {"-F", "32", "-n", "PRECIOUS", "--offset=2048", imagePath(), sectors})
              .status != 0) {
    return false;
  }
  // Data that differs from disk to disk, as a user's would.
  QByteArray data(kDataBytes, Qt::Uninitialized);
  QRandomGenerator::global()->generate(reinterpret_cast<quint32*>(data.data()),
                                       reinterpret_cast<quint32*>(data.data() + data.size()));
  QFile dataFile(dir_.filePath("PHOTOS.BIN"));
  if (!dataFile.open(QIODevice::WriteOnly) || dataFile.write(data) != data.size()) return false;
  dataFile.close();
  const QString target = imagePath() + "@@" + QString::number(kPartitionOffset);
  if (runTool("mcopy", {"-i", target, dataFile.fileName(), "::/PHOTOS.BIN"}).status != 0) {
    return false;
  }
  if (options.dirty) {
    if (!image.open(QIODevice::ReadWrite) ||
        !image.seek(kPartitionOffset + kBootSectorFlagsOffset) || image.write("\x01", 1) != 1) {
      return false;
    }
  }
  return true;
}

void LoopDisk::scanPartitions() const {
  // The kernel's own scan at attach time does not always happen here, and a
  // loop number can keep the partitions of the image it served before.
  runTool("partx", {"--update", devicePath()});
}

bool LoopDisk::attached() const {
  return !name_.isEmpty() && backingFile(name_) == QFileInfo(backing_).canonicalFilePath();
}

bool LoopDisk::attachAs(const QString& name) {
  if (runTool("losetup", {"--partscan", "/dev/" + name, imagePath()}).status != 0) {
    return false;
  }
  name_ = name;
  if (!attached()) return false;
  scanPartitions();
  return true;
}

void LoopDisk::detach() {
  if (attached()) runTool("losetup", {"--detach", devicePath()});
}

QString LoopDisk::hash() const {
  if (attached()) {
    // Partitions have page caches of their own.
    const QDir sysfs("/sys/block/" + name_);
    for (const QString& partition :
         sysfs.entryList({name_ + "p*"}, QDir::Dirs | QDir::NoDotAndDotDot)) {
      flushDevice("/dev/" + partition);
    }
    flushDevice(devicePath());
  }
  const QByteArray fingerprint = fingerprintOfFile(imagePath());
  // Two failed reads must never compare equal, as if nothing had changed.
  static int failures = 0;
  if (fingerprint.isEmpty()) return QStringLiteral("unreadable image, read %1").arg(++failures);
  return QString::fromLatin1(fingerprint);
}

std::optional<QString> LoopDisk::fatLabel() const {
  const auto probe = [&](const QString& tag) {
    return runTool("blkid", {"--probe", "--offset", QString::number(kPartitionOffset),
                             "--match-tag", tag, "--output", "value", imagePath()})
        .output;
  };
  if (probe("TYPE").trimmed() != QLatin1String("vfat")) return std::nullopt;
  QString label = probe("LABEL");
  if (label.endsWith(QLatin1Char('\n'))) label.chop(1);
  return probe("VERSION").trimmed() + QLatin1Char(' ') + label;
}

}  // namespace tessaro::test
