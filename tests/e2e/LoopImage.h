#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tessaro::test {

// Runs a program to its end: its exit status and its trimmed standard output.
inline std::pair<int, QString> runProgram(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(120000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// A sparse image on a loop device of its own, partitions scanned; detached
// when it goes away, also when the test fails. device() is empty when
// attaching failed. Not copyable, as its directory is not.
class LoopImage {
 public:
  explicit LoopImage(qint64 bytes, bool readOnly = false) {
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes)) return;
    file.close();
    QStringList args{"--find", "--show", "--partscan"};
    if (readOnly) args << "--read-only";
    const QString device = runProgram("losetup", args << path()).second.split('\n').last();
    if (device.startsWith("/dev/loop")) device_ = device;
  }
  ~LoopImage() {
    if (!device_.isEmpty()) runProgram("losetup", {"--detach", device_});
  }

  const QString& device() const { return device_; }
  QString partition() const { return device_ + "p1"; }
  QString path() const { return dir_.filePath("disk.img"); }
  QByteArray hash() const {
    QFile file(path());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly)) hash.addData(&file);
    return hash.result();
  }

 private:
  QTemporaryDir dir_;
  QString device_;
};

}  // namespace tessaro::test
