#include "helper/HelperSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "drives/LinuxBlockDevices.h"
#include "drives/ShellQuote.h"
#include "exec/Error.h"

namespace tessaro::helper {

namespace {

// Discovery's columns and the few the helper needs besides.
QStringList guardLsblkArguments() {
  QStringList arguments = lsblkArguments();
  const qsizetype output = arguments.indexOf(QStringLiteral("--output"));
  if (output >= 0 && output + 1 < arguments.size()) {
    arguments[output + 1] += QStringLiteral(",PATH,PKNAME,LOG-SEC");
  }
  return arguments;
}

BlockNode parseNode(const QJsonObject& object) {
  BlockNode node;
  node.name = object.value(QLatin1String("name")).toString();
  node.path = object.value(QLatin1String("path")).toString();
  node.type = object.value(QLatin1String("type")).toString();
  node.size = lsblkSize(object);
  node.logicalSectorSize = object.value(QLatin1String("log-sec")).toInt(512);
  if (node.logicalSectorSize <= 0) node.logicalSectorSize = 512;
  for (const QJsonValue& mountpoint : object.value(QLatin1String("mountpoints")).toArray()) {
    if (mountpoint.isString()) node.mountpoints << mountpoint.toString();
  }
  for (const QJsonValue& child : object.value(QLatin1String("children")).toArray()) {
    node.children << parseNode(child.toObject());
  }
  return node;
}

std::optional<QJsonObject> lsblkObject(const QString& devicePath) {
  return readLsblkRecord(guardLsblkArguments(), devicePath);
}

bool isWholeDisk(const QString& type) {
  return type == QLatin1String("disk") || type == QLatin1String("loop");
}

// The lsblk record of the whole disk devicePath is or belongs to, children
// included (lsblk on a partition shows only the partition).
std::optional<QJsonObject> diskObject(const QString& devicePath) {
  const auto device = lsblkObject(devicePath);
  if (!device) return std::nullopt;
  if (isWholeDisk(device->value(QLatin1String("type")).toString())) return device;
  const QString parent = device->value(QLatin1String("pkname")).toString();
  if (parent.isEmpty()) return std::nullopt;
  return lsblkObject(QStringLiteral("/dev/") + parent);
}

void collectMounted(const BlockNode& node, QStringList& into) {
  for (const BlockNode& child : node.children) collectMounted(child, into);
  const bool mounted = std::any_of(node.mountpoints.begin(), node.mountpoints.end(),
                                   [](const QString& m) { return m != QLatin1String("[SWAP]"); });
  if (mounted) into << node.path;
}

}  // namespace

std::optional<QJsonObject> readLsblkRecord(const QStringList& lsblkArguments,
                                           const QString& devicePath) {
  const ToolOutput output =
      captureTool(QStringList{kLsblkPath} + lsblkArguments + QStringList{devicePath});
  if (output.status != 0) return std::nullopt;
  try {
    const QJsonArray devices = parseLsblkDevices(QString::fromUtf8(output.standardOutput));
    if (devices.size() != 1) return std::nullopt;
    return devices.first().toObject();
  } catch (const Error&) {
    return std::nullopt;
  }
}

bool isBlockDevice(const QString& path) {
  struct stat info {};
  return stat(path.toLocal8Bit().constData(), &info) == 0 && S_ISBLK(info.st_mode);
}

QByteArray firstSectorOf(const QString& devicePath) {
  QFile device(devicePath);
  if (!device.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return {};
  return device.read(512);
}

void printLine(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int runShellLine(const QString& line, bool printLineFirst) {
  if (printLineFirst) printLine(line);
  const QByteArray command = line.toUtf8();
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) return 127;
  if (pid == 0) {
    // Both of the shell's output streams go where the helper's standard
    // output goes, so the caller reads them merged in the order written.
    dup2(STDOUT_FILENO, STDERR_FILENO);
    execl("/bin/sh", "sh", "-c", command.constData(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

ToolOutput captureTool(const QStringList& cmd) {
  ToolOutput result;
  if (cmd.isEmpty()) return result;
  QProcess process;
  process.setProgram(cmd.first());
  process.setArguments(cmd.mid(1));
  process.setStandardErrorFile(QProcess::nullDevice());
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(QIODevice::ReadOnly);
  if (!process.waitForStarted(-1) || !process.waitForFinished(-1)) return result;
  result.standardOutput = process.readAllStandardOutput();
  result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128;
  return result;
}

std::optional<BlockNode> readDiskTree(const QString& devicePath) {
  const auto disk = diskObject(devicePath);
  if (!disk) return std::nullopt;
  return parseNode(*disk);
}

const BlockNode* findNode(const BlockNode& tree, const QString& devicePath) {
  if (tree.path == devicePath) return &tree;
  for (const BlockNode& child : tree.children) {
    if (const BlockNode* found = findNode(child, devicePath)) return found;
  }
  return nullptr;
}

QStringList mountedDevices(const BlockNode& tree) {
  QStringList mounted;
  collectMounted(tree, mounted);
  return mounted;
}

std::optional<QString> refuseUnsafeDevice(const QString& devicePath) {
  const QString refused = QStringLiteral("Refused: ") + devicePath + QLatin1Char(' ');
  if (!devicePath.startsWith(QLatin1String("/dev/")) || !isBlockDevice(devicePath)) {
    return refused + QStringLiteral("is not a block device.");
  }
  const QString canonical = QFileInfo(devicePath).canonicalFilePath();
  const auto disk = diskObject(canonical);
  const auto tree = disk ? std::optional<BlockNode>(parseNode(*disk)) : std::nullopt;
  const BlockNode* node = tree ? findNode(*tree, canonical) : nullptr;
  if (!tree || !isWholeDisk(tree->type) || !node ||
      (node != &*tree && node->type != QLatin1String("part"))) {
    return refused + QStringLiteral("is neither a whole disk nor a partition of one.");
  }
  if (holdsRunningSystem(*disk)) {
    return refused + QStringLiteral(
                         "holds part of the running system (a mount outside /media, swap, LVM, "
                         "RAID or encryption).");
  }
  if (tree->type != QLatin1String("loop") && !isOfferableDisk(*disk, kSysfsRoot)) {
    return refused + QStringLiteral("is not an external or removable drive.");
  }
  return std::nullopt;
}

}  // namespace tessaro::helper
