// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include "drives/DiskTools.h"

namespace tessaro {

// macOS: diskutil for everything, newfs_msdos and fsck_msdos inside one
// "/bin/sh -c" line run with administrator rights. Its parsing is pure code and
// is built and tested on every platform.
class MacDiskTools : public DiskTools {
 public:
  explicit MacDiskTools(QString diskutilPath = QStringLiteral("/usr/sbin/diskutil"));

  QStringList listCommand() const override;
  QStringList parseDiskList(const QString& text) const override;
  bool isSkipped(const QString& bsdName) const override;
  QStringList infoCommand(const QString& bsdName) const override;
  std::optional<Drive> parseDriveInfo(const QString& text, const QString& bsdName) const override;

  QStringList partitionListCommand(const QString& bsdName) const override;
  QString parseFirstPartition(const QString& text, const QString& bsdName) const override;

  std::optional<QString> validateFormat(const FormatRequest& request) const override;
  PrivilegedCommand formatCommand(const FormatRequest& request) const override;
  PrivilegedCommand checkCommand(const QString& targetBsdName, CheckMode mode) const override;
  PrivilegedCommand infoReportCommand(
      const QString& diskBsdName, const std::optional<QString>& partitionBsdName) const override;
  std::optional<DriveFacts> parseDriveFacts(
      const QString& output, const std::optional<contract::HelperEvent>& result) const override;
  QString formattedPartitionPath(const Drive& drive) const override;
  QStringList toolNames() const override {
    return {QStringLiteral("diskutil"), QStringLiteral("newfs_msdos"),
            QStringLiteral("fsck_msdos")};
  }

 private:
  QString diskutilPath_;
};

// Unmount, check and repair on the raw device (or, readOnly, only check it:
// fsck_msdos -n), mount again, on three lines joined by "&&".
QString macCheckLine(const QString& targetBsdName, const QString& diskutilPath,
                     bool readOnly = false);

}  // namespace tessaro
