#include "helper/HelperSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "drives/LinuxDiskTools.h"
#include "drives/ShellQuote.h"

namespace tessaro::helper {

namespace {

const QString kLsblk = QStringLiteral("/usr/bin/lsblk");
const QString kColumns = QStringLiteral("NAME,PATH,TYPE,PKNAME,SIZE,LOG-SEC,RO,MOUNTPOINTS");

qint64 jsonInteger(const QJsonValue& value) {
  if (value.isString()) return value.toString().toLongLong();
  return static_cast<qint64>(value.toDouble());
}

bool jsonBool(const QJsonValue& value) {
  if (value.isString()) return value.toString() == QLatin1String("1");
  return value.toBool();
}

BlockNode parseNode(const QJsonObject& object) {
  BlockNode node;
  node.name = object.value(QLatin1String("name")).toString();
  node.path = object.value(QLatin1String("path")).toString();
  node.type = object.value(QLatin1String("type")).toString();
  node.size = jsonInteger(object.value(QLatin1String("size")));
  node.logicalSectorSize = static_cast<int>(jsonInteger(object.value(QLatin1String("log-sec"))));
  if (node.logicalSectorSize <= 0) node.logicalSectorSize = 512;
  node.readOnly = jsonBool(object.value(QLatin1String("ro")));
  for (const QJsonValue& mountpoint : object.value(QLatin1String("mountpoints")).toArray()) {
    if (mountpoint.isString()) node.mountpoints << mountpoint.toString();
  }
  for (const QJsonValue& child : object.value(QLatin1String("children")).toArray()) {
    node.children << parseNode(child.toObject());
  }
  return node;
}

std::optional<BlockNode> lsblkTree(const QString& devicePath) {
  const ToolOutput output =
      captureTool({kLsblk, QStringLiteral("--json"), QStringLiteral("--bytes"),
                   QStringLiteral("--output"), kColumns, devicePath});
  if (output.status != 0) return std::nullopt;
  const QJsonArray devices = QJsonDocument::fromJson(output.standardOutput)
                                 .object()
                                 .value(QLatin1String("blockdevices"))
                                 .toArray();
  if (devices.size() != 1) return std::nullopt;
  return parseNode(devices.first().toObject());
}

bool isWholeDisk(const BlockNode& node) {
  return node.type == QLatin1String("disk") || node.type == QLatin1String("loop");
}

bool mountedOnlyForRemovableMedia(const QString& mountpoint) {
  return mountpoint.startsWith(QLatin1String("/media/")) ||
         mountpoint.startsWith(QLatin1String("/run/media/"));
}

// Why the running system would notice this disk going away, or none.
std::optional<QString> systemUse(const BlockNode& node) {
  if (node.type != QLatin1String("part") && !isWholeDisk(node)) {
    return node.path + QStringLiteral(" holds a ") + node.type +
           QStringLiteral(" volume (LVM, RAID or encryption)");
  }
  for (const QString& mountpoint : node.mountpoints) {
    if (mountpoint == QLatin1String("[SWAP]"))
      return node.path + QStringLiteral(" is in use as swap");
    if (!mountedOnlyForRemovableMedia(mountpoint)) {
      return node.path + QStringLiteral(" is mounted at ") + mountpoint;
    }
  }
  for (const BlockNode& child : node.children) {
    if (auto use = systemUse(child)) return use;
  }
  return std::nullopt;
}

void collectMounted(const BlockNode& node, QStringList& into) {
  for (const BlockNode& child : node.children) collectMounted(child, into);
  const bool mounted = std::any_of(node.mountpoints.begin(), node.mountpoints.end(),
                                   [](const QString& m) { return m != QLatin1String("[SWAP]"); });
  if (mounted) into << node.path;
}

bool offeredByDiscovery(const QString& diskName) {
  const LinuxDiskTools tools;
  const QStringList command = tools.infoCommand(diskName);
  if (command.isEmpty()) return false;
  const ToolOutput output = captureTool(command);
  if (output.status != 0) return false;
  try {
    return tools.parseDriveInfo(QString::fromUtf8(output.standardOutput), diskName).has_value();
  } catch (...) {
    return false;
  }
}

}  // namespace

void printLine(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int runShellLine(const QString& line) {
  printLine(line);
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
  const auto node = lsblkTree(devicePath);
  if (!node) return std::nullopt;
  if (isWholeDisk(*node)) return node;
  // A partition: lsblk on it shows only itself; its disk shows the whole tree.
  const ToolOutput parent =
      captureTool({kLsblk, QStringLiteral("--noheadings"), QStringLiteral("--nodeps"),
                   QStringLiteral("--output"), QStringLiteral("PKNAME"), devicePath});
  const QString parentName = QString::fromUtf8(parent.standardOutput).trimmed();
  if (parent.status != 0 || parentName.isEmpty()) return std::nullopt;
  return lsblkTree(QStringLiteral("/dev/") + parentName);
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
  const QString refused = QStringLiteral("Refused: ") + devicePath + QStringLiteral(" ");
  struct stat info {};
  if (!devicePath.startsWith(QLatin1String("/dev/")) ||
      stat(devicePath.toLocal8Bit().constData(), &info) != 0 || !S_ISBLK(info.st_mode)) {
    return refused + QStringLiteral("is not a block device.");
  }
  const QString canonical = QFileInfo(devicePath).canonicalFilePath();
  const auto tree = readDiskTree(canonical);
  if (!tree || !isWholeDisk(*tree)) {
    return refused + QStringLiteral("is neither a whole disk nor a partition of one.");
  }
  const BlockNode* node = findNode(*tree, canonical);
  if (!node || (node != &*tree && node->type != QLatin1String("part"))) {
    return refused + QStringLiteral("is neither a whole disk nor a partition of one.");
  }
  if (const auto use = systemUse(*tree)) {
    return refused + QStringLiteral("belongs to the running system: ") + *use + QStringLiteral(".");
  }
  if (tree->type != QLatin1String("loop") && !offeredByDiscovery(tree->name)) {
    return refused + QStringLiteral("is not an external or removable drive.");
  }
  return std::nullopt;
}

QString unmountLine(const QStringList& mountedDevicePaths) {
  QStringList steps;
  for (const QString& path : mountedDevicePaths) {
    steps << QStringLiteral("/usr/bin/umount ") + shellQuote(path);
  }
  return steps.join(QStringLiteral(" && "));
}

}  // namespace tessaro::helper
