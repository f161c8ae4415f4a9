// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "SystemTool.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <algorithm>

#include "ChildRun.h"

namespace tessaro::test {

ToolRun runTool(const QString& program, const QStringList& args, const QByteArray& input) {
  const ChildRun::Result ran =
      ChildRun::run(program, argumentsOf(args), {.input = input, .mergeErrorOutput = true}, 120000);
  return {ran.status, ran.output + ran.errorOutput};
}

bool writeProgram(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
         file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                             QFile::ReadOther | QFile::ExeOther);
}

bool makeExt4(const QString& device) {
  return runTool("mkfs.ext4", {"-q", "-F", "-E", "lazy_itable_init=0,lazy_journal_init=0", device})
             .status == 0;
}

QByteArray fingerprintOfFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  constexpr off_t block = 4096;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  const off_t size = ::lseek(fd, 0, SEEK_END);
  QByteArray buffer(256 * block, Qt::Uninitialized);
  const QByteArray zeros(block, '\0');
  bool readable = size >= 0;
  const qint64 length = size;
  hash.addData(QByteArrayView(reinterpret_cast<const char*>(&length), sizeof length));
  off_t hashedUpTo = 0;  // blocks below it are in the hash, or are zeros
  for (off_t at = 0; readable && at < size;) {
    off_t data = ::lseek(fd, at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // only a hole up to the end
    off_t hole = data < 0 ? size : ::lseek(fd, data, SEEK_HOLE);
    if (data < 0) data = at;  // a file system that cannot tell: read it all
    at = hole;
    // Whole blocks at fixed offsets, so that where the data lies decides nothing.
    data = std::max(hashedUpTo, data / block * block);
    hole = std::min(size, (hole + block - 1) / block * block);
    for (off_t from = data; readable && from < hole;) {
      const ssize_t n =
          ::pread(fd, buffer.data(), std::min<off_t>(buffer.size(), hole - from), from);
      readable = n > 0;
      for (ssize_t i = 0; readable && i < n; i += block) {
        const QByteArrayView piece(buffer.constData() + i, std::min<ssize_t>(block, n - i));
        if (piece == QByteArrayView(zeros).first(piece.size())) continue;
        const qint64 offset = from + i;
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&offset), sizeof offset));
        hash.addData(piece);
      }
      if (readable) from += n;
      hashedUpTo = from;
    }
  }
  ::close(fd);
  return readable ? hash.result().toHex() : QByteArray();
}

QString packageOwning(const QString& path) {
  // dpkg lists files under the paths the package ships (/sbin/mkfs.fat), which
  // on a merged /usr are reached through /usr as well.
  QStringList candidates{path};
  if (path.startsWith(QLatin1String("/usr/"))) candidates << path.mid(4);
  for (const QString& candidate : candidates) {
    const ToolRun found = runTool("dpkg-query", {"-S", candidate});
    if (found.status == 0) return found.output.section(QLatin1Char(':'), 0, 0).trimmed();
  }
  return {};
}

Mount::Mount(const QString& device, const QString& type, const QStringList& options,
             const QString& parent)
    : dir_((parent.isEmpty() ? QDir::tempPath() : parent) + "/tessaro-mount-XXXXXX") {
  if (!dir_.isValid()) return;
  QStringList args{"-t", type};
  if (!options.isEmpty()) args << "-o" << options.join(QLatin1Char(','));
  runTool("mount", args << device << dir_.path());
  // What mounting wrote (a journal commit that would otherwise land seconds
  // later) is on the device before a test takes its fingerprint.
  if (mounted()) ::sync();
}

Mount::~Mount() {
  if (mounted()) runTool("umount", {dir_.path()});
}

bool Mount::mounted() const {
  return dir_.isValid() && runTool("findmnt", {"--mountpoint", dir_.path()}).status == 0;
}

}  // namespace tessaro::test
