#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tessaro::test {

// A small sysfs tree in a temporary folder: block/<name> links into
// devices/, as the kernel lays it out.
class FakeSysfs {
 public:
  FakeSysfs() { EXPECT_TRUE(dir_.isValid()); }
  QString root() const { return dir_.path(); }

  void addDisk(const QString& name, const QString& devicePath) {
    QDir(root()).mkpath(QStringLiteral("devices/") + devicePath + QStringLiteral("/device"));
    QDir(root()).mkpath(QStringLiteral("block"));
    QFile::link(root() + QStringLiteral("/devices/") + devicePath,
                root() + QStringLiteral("/block/") + name);
  }
  void write(const QString& relativePath, const QByteArray& content) {
    QFile file(root() + QLatin1Char('/') + relativePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  // An SD card in a built-in PCI reader.
  void addSdCard(const QString& name, const QByteArray& cardName) {
    addDisk(name, QStringLiteral("pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/block/") + name);
    write(QStringLiteral("block/") + name + QStringLiteral("/device/type"), "SD\n");
    write(QStringLiteral("block/") + name + QStringLiteral("/device/name"), cardName + '\n');
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace tessaro::test
