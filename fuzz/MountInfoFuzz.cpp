// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The kernel's mount table as the helper's guard reads it: a table is read
// whole or refused, every mount of it is found by its number and source, and
// what the kernel escapes comes back as it was.
#include <QByteArray>
#include <QString>

#include "FuzzCheck.h"
#include "helper/MountInfo.h"

using namespace tessaro;
using namespace tessaro::helper;

namespace {

// How the kernel writes a path into the table.
QByteArray kernelEscaped(const QByteArray& text) {
  QByteArray escaped;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\\')
      escaped += '\\' + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString hex = QString::fromLatin1(text.left(200).toHex(' '));
  if (const auto table = MountInfo::parse(text)) {
    qsizetype lines = 0;
    for (const QByteArray& line : text.split('\n')) lines += line.isEmpty() ? 0 : 1;
    FUZZ_CHECK(table->mounts().size() == lines, hex);
    for (const MountInfo::Mount& mount : table->mounts()) {
      FUZZ_CHECK(mount.target.startsWith(QLatin1Char('/')), hex);
      FUZZ_CHECK(table->targetsOf(mount.number, mount.source).contains(mount.target), hex);
    }
  }
  FUZZ_CHECK(MountInfo::unescape(kernelEscaped(text)) == text, hex);
  return 0;
}
