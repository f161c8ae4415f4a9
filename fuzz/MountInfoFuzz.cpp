// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The kernel's mount table as the helper's guard reads it (through
// libmount): a table is read whole or refused, every mount of it is found by
// its number and source, and a path the kernel escapes comes back as it was.
#include <QByteArray>
#include <QList>
#include <QString>
#include <algorithm>
#include <string>

#include "FuzzCheck.h"
#include "drives/linux/MountInfo.h"

using namespace tessaro;

namespace {

// How the kernel writes a path into the table.
std::string kernelEscaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\\')
      escaped += '\\' + QByteArray::number(uchar(c), 8).rightJustified(3, '0').toStdString();
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const QString hex =
      QString::fromLatin1(QByteArray::fromStdString(text.substr(0, 200)).toHex(' '));
  if (const auto table = MountInfo::parse(text)) {
    std::size_t lines = 0;
    for (const QByteArray& line : QByteArray::fromStdString(text).split('\n'))
      lines += line.isEmpty() ? 0 : 1;
    FUZZ_CHECK(table->mounts().size() == lines, hex);
    for (const MountInfo::Mount& mount : table->mounts()) {
      FUZZ_CHECK(mount.target.starts_with('/'), hex);
      const auto targets = table->targetsOf(mount.number, mount.source);
      FUZZ_CHECK(std::find(targets.begin(), targets.end(), mount.target) != targets.end(), hex);
    }
  }
  // A mount point as the kernel writes it reads back whole, or the table is
  // refused; one without other control characters than tab and line feed
  // (which the kernel escapes) is never refused.
  if (text.find('\0') == std::string::npos) {
    const auto table =
        MountInfo::parse("22 1 259:0 / /" + kernelEscaped(text) + " rw - ext4 /dev/loop0p1 rw\n");
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
      return (unsigned char)c < 0x20 && c != '\t' && c != '\n';
    });
    FUZZ_CHECK(table || !plain, hex);
    FUZZ_CHECK(!table || (table->mounts().size() == 1 && table->mounts()[0].target == "/" + text),
               hex);
  }
  return 0;
}
