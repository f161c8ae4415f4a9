// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/DiskTools.h"

namespace tessaro {

// Linux: lsblk (util-linux) and sysfs for discovery and lookup; the privileged
// work goes through Tessaro's own helper, run as root by pkexec.
class LinuxDiskTools : public DiskTools {
 public:
  explicit LinuxDiskTools(QString lsblkPath = QStringLiteral("/usr/bin/lsblk"),
                          QString sysfsRoot = QStringLiteral("/sys"),
                          QString helperPath = QString(),
                          QString byIdDir = QStringLiteral("/dev/disk/by-id"));

  const QString& lsblkPath() const { return lsblkPath_; }
  // The privileged helper: the one next to the application when there is one
  // (a build tree), else the installed one.
  QString helperPath() const;

  QStringList listCommand() const override;
  // The system's own lsblk (not a stand-in) over the system's sysfs: read in
  // process from the kernel and udev, as lsblk reads them. Where a device
  // cannot be read whole, none, and lsblk runs.
  std::optional<QString> readList() const override;
  QStringList parseDiskList(const QString& text) const override;
  QStringList infoCommand(const QString& bsdName) const override;
  std::optional<Drive> parseDriveInfo(const QString& text, const QString& bsdName) const override;
  std::vector<BlockDevice> parseBlockDevices(const QString& listText) const override;

  QStringList partitionListCommand(const QString& bsdName) const override;
  QString parseFirstPartition(const QString& text, const QString& bsdName) const override;

  std::optional<QString> validateFormat(const FormatRequest& request) const override;
  PrivilegedCommand formatCommand(const FormatRequest& request) const override;
  PrivilegedCommand checkCommand(const QString& targetBsdName, CheckMode mode) const override;
  bool checkStatusTellsFinding() const override { return true; }
  PrivilegedCommand infoReportCommand(
      const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const override;
  std::optional<DriveFacts> parseDriveFacts(
      const QString& output, const std::optional<contract::HelperEvent>& result) const override;
  std::optional<PrivilegedCommand> probeCommand(const QString& diskBsdName,
                                                bool full = false) const override;
  QString formattedPartitionPath(const Drive& drive) const override;
  bool mountsAsDesktopUser() const override { return true; }
  bool verifiesFormat() const override { return true; }
  bool runsBatches() const override { return true; }
  QStringList missingToolNotices() const override;
  QStringList toolNames() const override;
  bool mayChangeDriveList(const QString& kernelName, const QList<Drive>& listed) const override;

 private:
  QString lsblkPath_;
  QString sysfsRoot_;
  QString helperPath_;
  QString byIdDir_;
};

}  // namespace tessaro
