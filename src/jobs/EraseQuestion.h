// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QString>
#include <QStringList>

#include "drives/DiskTools.h"
#include "drives/Drive.h"

namespace tessaro {

// What the window and tessaro-cli both say before they erase a drive, in the
// user's language and numbers: the drive, what will happen to it and, for a
// format, what it writes. Each door asks in its own way around these words.
class EraseQuestion {
 public:
  // The drive as a question names it: "32,02 GB SanDisk Ultra (/dev/sdb)".
  static QString driveName(const Drive& drive);

  // "Erase 32,02 GB SanDisk Ultra (/dev/sdb)?"
  static QString formatQuestion(const Drive& drive);
  // That every file on it goes, for good.
  static QString formatWarning();
  // What a format will write, one line each: the volume name as written, the
  // cluster size (the default named with the size it stands for on this
  // drive) and the partition, in one statement also where an MBR partition
  // cannot use the whole drive.
  static QStringList formatDetails(const FormatRequest& request);

  // "Test the capacity of 32,02 GB SanDisk Ultra (/dev/sdb)?"
  static QString probeQuestion(const Drive& drive);
  // That the test writes over the whole drive, erasing it, and leaves no
  // file system behind.
  static QString probeWarning();

  // Before a batch, above the list of its drives: "Erase these 3 drives?",
  // that every file on each goes; "Test the capacity of these 3 drives?",
  // that each is erased and left without a file system.
  static QString batchFormatQuestion(int count);
  static QString batchFormatWarning();
  static QString batchProbeQuestion(int count);
  static QString batchProbeWarning();

  // A cluster size as the questions name it: "512 bytes", "32 KiB".
  static QString clusterSize(qint64 bytes);
};

}  // namespace tessaro
