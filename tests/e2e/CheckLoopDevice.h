#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "drives/Drive.h"

namespace tessaro::test {

// Runs a tool and returns its exit status, -1 when it did not start or end normally.
inline int runTool(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForStarted() || !process.waitForFinished(-1)) return -1;
  if (output) *output = process.readAll();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A 700 MiB sparse image with an MBR and one partition at sector 2048, on a
// loop device of its own while attached. Detached when it goes away.
class LoopDisk {
 public:
  static constexpr qint64 kBytes = 700LL * 1024 * 1024;

  LoopDisk() : image_(dir_.filePath("disk.img")) {
    QFile file(image_);
    if (file.open(QIODevice::WriteOnly)) file.resize(kBytes);
    file.close();
    runTool("/bin/sh", {"-c", "echo start=2048,type=c | sfdisk --quiet " + image_});
  }
  ~LoopDisk() { detach(); }

  // Attaches the image and waits for the partition's device node.
  bool attach(bool readOnly = false) {
    QByteArray output;
    QStringList args{"--find", "--show", "--partscan", image_};
    if (readOnly) args << "--read-only";
    if (runTool("losetup", args, &output) != 0) return false;
    // The device is the last line; losetup may warn before it.
    const QString device = QString::fromUtf8(output).trimmed().split('\n').last();
    if (!device.startsWith("/dev/loop")) return false;
    device_ = device;
    runTool("partx", {"-u", device_});  // no udev here to make the partition's node
    for (int i = 0; i < 50 && !QFileInfo::exists(partition()); ++i) QThread::msleep(100);
    return QFileInfo::exists(partition());
  }

  void detach() {
    if (!device_.isEmpty()) runTool("losetup", {"--detach", device_});
    device_.clear();
  }

  const QString& device() const { return device_; }
  QString partition() const { return device_ + "p1"; }
  Drive drive() const {
    const QString name = device_.mid(5);
    return {QUuid::createUuid(), name, device_, "Loop test disk (" + name + ")", {}, false, kBytes};
  }

 private:
  QTemporaryDir dir_;
  QString image_;
  QString device_;
};

}  // namespace tessaro::test
