#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tessaro::test {

// A small sysfs tree in a temporary folder: block/<name> links into
// devices/, as the kernel lays it out.
struct FakeSysfs {
  QTemporaryDir dir;
  QString root() const { return dir.path(); }

  void addDisk(const QString& name, const QString& devicePath) {
    QDir(root()).mkpath("devices/" + devicePath + "/device");
    QDir(root()).mkpath("block");
    QFile::link(root() + "/devices/" + devicePath, root() + "/block/" + name);
  }
  void write(const QString& relativePath, const QByteArray& content) {
    QFile file(root() + '/' + relativePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  // A card in a built-in PCI reader; type is "SD" or "MMC" (soldered eMMC).
  void addMmc(const QString& name, const QByteArray& type, const QByteArray& cardName = {}) {
    addDisk(name, "pci0000:00/0000:00:1e.6/mmc_host/" + name + "/block/" + name);
    write("block/" + name + "/device/type", type + '\n');
    write("block/" + name + "/device/name", cardName + '\n');
  }
};

}  // namespace tessaro::test
