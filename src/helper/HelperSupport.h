#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro::helper {

// Writes one line to the helper's standard output and flushes it, so that it
// reaches the application before anything a child prints after it.
void printLine(const QString& line);

// Prints line, then runs "/bin/sh -c line" with the shell's standard output
// and standard error both on the helper's standard output (merged, in order,
// streamed as written). Returns the shell's exit status, 128 + n when it was
// killed by signal n, 127 when it could not be started. Without printLineFirst
// the line is not printed (the caller has shown it already).
int runShellLine(const QString& line, bool printLineFirst = true);

// What a plainly run tool printed on standard output, and its exit status.
struct ToolOutput {
  int status = 127;
  QByteArray standardOutput;
};
// Runs cmd[0] with the rest as arguments (no shell) and waits for it; its
// standard error is discarded.
ToolOutput captureTool(const QStringList& cmd);

inline const QString kLsblkPath = QStringLiteral("/usr/bin/lsblk");
inline const QString kSysfsRoot = QStringLiteral("/sys");

// The lsblk record of devicePath (its children included), read with the given
// lsblk arguments; none when lsblk fails or does not describe exactly one device.
std::optional<QJsonObject> readLsblkRecord(const QStringList& lsblkArguments,
                                           const QString& devicePath);

// Whether path names a block device node.
bool isBlockDevice(const QString& path);

// The first 512 bytes of a device, where the FAT boot sector lives; empty
// when it cannot be read.
QByteArray firstSectorOf(const QString& devicePath);

// One block device and its children as lsblk reports them.
struct BlockNode {
  QString name;  // sdb, sdb1, loop0p1
  QString path;  // /dev/sdb
  QString type;  // disk, part, loop, lvm, crypt, raid1, ...
  qint64 size = 0;
  int logicalSectorSize = 512;
  QStringList mountpoints;  // "[SWAP]" for active swap
  QList<BlockNode> children;
};

// The tree of the whole disk that devicePath is or belongs to, read with
// lsblk; none when lsblk cannot describe it.
std::optional<BlockNode> readDiskTree(const QString& devicePath);

// The node for devicePath inside tree (the tree itself or a descendant).
const BlockNode* findNode(const BlockNode& tree, const QString& devicePath);

// Device paths under tree (tree included) that have a file system mounted,
// deepest first, so that unmounting them in order works.
QStringList mountedDevices(const BlockNode& tree);

// Decides whether the helper may touch devicePath: a whole disk, or a
// partition of one, that holds nothing of the running system and that is
// either a drive discovery offers or a loop device. None when allowed; the
// reason it is refused otherwise. Reads only.
std::optional<QString> refuseUnsafeDevice(const QString& devicePath);

}  // namespace tessaro::helper
