// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/MountInfo.h"

#include <QFile>

#include "helper/DeviceNumber.h"
#include "helper/KernelFile.h"

namespace tessaro::helper {

namespace {

// Far more than any system's table; a file that grows past it is not read
// in part.
constexpr std::size_t kMaxTableBytes = 64 * 1024 * 1024;

bool isDecimal(const QByteArray& text) {
  if (text.isEmpty() || text.size() > 10) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

QByteArray MountInfo::unescape(const QByteArray& field) {
  QByteArray text;
  text.reserve(field.size());
  const auto octal = [](char c) { return c >= '0' && c <= '7'; };
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) &&
        octal(field[i + 2]) && octal(field[i + 3])) {
      const int byte = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (byte <= 0xff) {
        text += char(byte);
        i += 3;
        continue;
      }
    }
    text += field[i];
  }
  return text;
}

std::optional<MountInfo> MountInfo::parse(const QByteArray& text) {
  MountInfo table;
  for (const QByteArray& line : text.split('\n')) {
    if (line.isEmpty()) continue;
    const QList<QByteArray> fields = line.split(' ');
    // ID PARENT MAJ:MIN ROOT TARGET OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER
    qsizetype separator = -1;
    for (qsizetype i = 6; i < fields.size(); ++i) {
      if (fields[i] == "-") {
        separator = i;
        break;
      }
    }
    if (separator < 0 || fields.size() - separator != 4) return std::nullopt;
    const std::optional<dev_t> number = parseDeviceNumber(fields[2]);
    if (!isDecimal(fields[0]) || !isDecimal(fields[1]) || !number) return std::nullopt;
    Mount mount;
    mount.number = *number;
    mount.root = QString::fromUtf8(unescape(fields[3]));
    mount.target = QString::fromUtf8(unescape(fields[4]));
    mount.fileSystemType = QString::fromUtf8(unescape(fields[separator + 1]));
    mount.source = QString::fromUtf8(unescape(fields[separator + 2]));
    if (!mount.target.startsWith(QLatin1Char('/')) || mount.fileSystemType.isEmpty())
      return std::nullopt;
    table.mounts_ << mount;
  }
  return table;
}

std::optional<MountInfo> MountInfo::readFile(const QString& path, QString* failure) {
  const auto fail = [&](const QString& why) {
    if (failure) *failure = why;
    return std::nullopt;
  };
  // procfs files have no size: read to the end, within the bound.
  const std::string local = QFile::encodeName(path).toStdString();
  const KernelFile::Bytes file = KernelFile::read(local, kMaxTableBytes);
  if (file.error != 0) return fail(QString::fromStdString(KernelFile::failure(local, file.error)));
  std::optional<MountInfo> table = parse(QByteArray::fromStdString(file.bytes));
  if (!table || table->mounts_.isEmpty())
    return fail(QStringLiteral("the mount table ") + path + QStringLiteral(" could not be parsed"));
  return table;
}

QStringList MountInfo::targetsOf(dev_t number, const QString& devicePath) const {
  QStringList targets;
  for (auto mount = mounts_.crbegin(); mount != mounts_.crend(); ++mount) {
    if (mount->number == number || mount->source == devicePath) targets << mount->target;
  }
  return targets;
}

}  // namespace tessaro::helper
