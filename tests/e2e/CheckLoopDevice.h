#pragma once

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "drives/Drive.h"

namespace tessaro::test {

// Runs a tool and returns its exit status; its output goes to output when given.
inline int runTool(const QString& program, const QStringList& args, QByteArray* output = nullptr,
                   const QByteArray& input = {}) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForStarted()) return -1;
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(-1);
  if (output) *output = process.readAll();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A sparse disk image attached to a loop device of its own, with an MBR and
// one FAT32 partition at sector 2048 when asked. Detached when it goes away,
// whatever the test did.
class LoopDisk {
 public:
  explicit LoopDisk(bool partitioned = true, qint64 bytes = 700LL * 1024 * 1024) {
    image_ = dir_.filePath(QStringLiteral("disk.img"));
    QFile file(image_);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes)) return;
    file.close();
    if (!partitioned) return;
    runTool(QStringLiteral("sfdisk"), {QStringLiteral("--quiet"), image_}, nullptr,
            "label: dos\nstart=2048, type=c\n");
  }
  ~LoopDisk() { detach(); }
  LoopDisk(const LoopDisk&) = delete;
  LoopDisk& operator=(const LoopDisk&) = delete;

  // Attaches the image (read-only when asked) and waits for the partition
  // node, when there is a partition.
  bool attach(bool readOnly = false, bool partitioned = true) {
    QStringList args{QStringLiteral("--find"), QStringLiteral("--show"),
                     QStringLiteral("--partscan")};
    if (readOnly) args << QStringLiteral("--read-only");
    QByteArray output;
    if (runTool(QStringLiteral("losetup"), args << image_, &output) != 0) return false;
    // The device is the last line; losetup may warn before it.
    device_ = QString::fromUtf8(output).trimmed().split(QLatin1Char('\n')).last().trimmed();
    if (!device_.startsWith(QLatin1String("/dev/loop"))) {
      device_.clear();
      return false;
    }
    if (!partitioned) return true;
    runTool(QStringLiteral("partx"), {QStringLiteral("-u"), device_});
    for (int i = 0; i < 50 && !QFileInfo::exists(partition()); ++i) QThread::msleep(100);
    return QFileInfo::exists(partition());
  }

  void detach() {
    if (device_.isEmpty()) return;
    runTool(QStringLiteral("losetup"), {QStringLiteral("--detach"), device_});
    device_.clear();
  }

  const QString& device() const { return device_; }
  QString bsdName() const { return device_.mid(5); }
  QString partition() const { return device_ + QStringLiteral("p1"); }
  qint64 size() const { return QFileInfo(image_).size(); }

  Drive drive() const {
    Drive drive;
    drive.bsdName = bsdName();
    drive.devicePath = device_;
    drive.description = QStringLiteral("Loop test disk (") + bsdName() + QLatin1Char(')');
    drive.size = size();
    return drive;
  }

 private:
  QTemporaryDir dir_;
  QString image_;
  QString device_;
};

inline bool runsAsRoot() { return geteuid() == 0; }

}  // namespace tessaro::test
