// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "MkfsFatRun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <vector>

#include "drives/Fat32Layout.h"
#include "drives/FormatRequestRules.h"
#include "helper/LinuxFormatSteps.h"

namespace tessaro::test {

namespace {

qint64 littleEndian(const QByteArray& bytes, int offset, int size) {
  qint64 value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | quint8(bytes[offset + i]);
  return value;
}

}  // namespace

QString systemMkfsFat() {
  for (const char* path : {"/usr/sbin/mkfs.fat", "/sbin/mkfs.fat"}) {
    if (QFileInfo(QString::fromLatin1(path)).isExecutable()) return QString::fromLatin1(path);
  }
  return {};
}

MkfsFatBootSector runMkfsFatOnSparseFile(const QStringList& arguments, qint64 partitionBytes,
                                         int sectorBytes, const QString& directory) {
  MkfsFatBootSector sector;
  const QString mkfs = systemMkfsFat();
  const QString image = directory + QStringLiteral("/partition.img");
  QFile::remove(image);
  {
    QFile file(image);
    if (mkfs.isEmpty() || !file.open(QIODevice::WriteOnly) || !file.resize(partitionBytes))
      return sector;
  }
  // Everything before the first FAT may be written: the reserved sectors,
  // at most 65535 (what -R says, rounded up to the largest cluster).
  qint64 reserved = 32;
  const qsizetype r = arguments.indexOf(QStringLiteral("-R"));
  if (r >= 0 && r + 1 < arguments.size()) reserved = arguments[r + 1].toLongLong();
  const rlim_t limit = rlim_t((reserved + 127) / 128 * 128 * sectorBytes);

  std::vector<QByteArray> words{QFile::encodeName(mkfs)};
  for (const QString& argument : arguments) words.push_back(argument.toUtf8());
  words.push_back("-S");
  words.push_back(QByteArray::number(sectorBytes));
  words.push_back(QFile::encodeName(image));
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead (EFBIG)
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  // libFuzzer's timer signals interrupt the wait: it is waited out again.
  pid_t waited = -1;
  do {
    waited = pid < 0 ? -1 : waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) return sector;

  QFile file(image);
  if (!file.open(QIODevice::ReadOnly)) return sector;
  const QByteArray boot = file.read(512);
  file.close();
  QFile::remove(image);
  if (boot.size() < 512 || quint8(boot[510]) != 0x55 || quint8(boot[511]) != 0xAA ||
      boot.mid(82, 8) != "FAT32   ") {
    return sector;
  }
  sector.made = true;
  sector.bytesPerSector = int(littleEndian(boot, 11, 2));
  sector.sectorsPerCluster = int(littleEndian(boot, 13, 1));
  sector.reservedSectors = littleEndian(boot, 14, 2);
  sector.fatCount = int(littleEndian(boot, 16, 1));
  sector.totalSectors = littleEndian(boot, 19, 2);
  if (sector.totalSectors == 0) sector.totalSectors = littleEndian(boot, 32, 4);
  sector.fatSectors = littleEndian(boot, 36, 4);
  return sector;
}

namespace {

// What the format tells mkfs.fat for that layout, for a run on a file.
QStringList mkfsArguments(const Fat32Layout& planned) {
  QStringList arguments;
  for (const std::string& word : linuxMkfsArguments(planned, "T"))
    arguments << QString::fromStdString(word);
  return arguments;
}

}  // namespace

QString clusterRuleDisagreement(std::optional<int> clusterBytes, qint64 diskBytes, int sectorBytes,
                                const QString& directory) {
  const PartitionLayout partition = fat32PartitionLayout(diskBytes, sectorBytes);
  const bool accepted = !refuseClusterSize(clusterBytes, diskBytes, sectorBytes);
  const Fat32Layout planned = plannedFat32Layout(
      partition, sectorBytes, formatClusterBytes(clusterBytes, partition, sectorBytes));
  if (planned.clusterSectors == 0) {  // a cluster smaller than a sector
    return accepted ? QStringLiteral("accepted a cluster smaller than a sector") : QString();
  }
  const MkfsFatBootSector made = runMkfsFatOnSparseFile(
      mkfsArguments(planned), partition.sectorCount * sectorBytes, sectorBytes, directory);
  const bool valid =
      made.made && made.clusters() >= kFat32MinClusters && made.clusters() <= kFat32MaxClusters;
  QStringList differences;
  if (accepted != valid) {
    differences << (accepted ? QStringLiteral("accepted, mkfs.fat made %1 clusters")
                             : QStringLiteral("refused, mkfs.fat made %1 clusters"))
                       .arg(made.made ? made.clusters() : 0);
  }
  if (made.made) {
    const auto compare = [&](const char* what, qint64 found, qint64 plan) {
      if (found != plan) {
        differences
            << QStringLiteral("%1 %2, planned %3").arg(QLatin1String(what)).arg(found).arg(plan);
      }
    };
    compare("reserved sectors", made.reservedSectors, planned.reservedSectors);
    compare("FAT sectors", made.fatSectors, planned.fatSectors);
    compare("total sectors", made.totalSectors, planned.totalSectors);
    compare("clusters", made.clusters(), planned.clusters);
    const qint64 dataStart =
        (partition.startSector + made.reservedSectors + made.fatCount * made.fatSectors) *
        sectorBytes;
    if (valid && dataStart % planned.dataAlignmentBytes() != 0)
      differences << QStringLiteral("data area at byte %1 is not aligned").arg(dataStart);
  }
  return differences.join(QStringLiteral("; "));
}

}  // namespace tessaro::test
