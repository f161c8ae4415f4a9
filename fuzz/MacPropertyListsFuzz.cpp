// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// diskutil's property lists as discovery, the partition lookup and the
// information report read them.
#include <QByteArray>
#include <QString>

#include "FuzzCheck.h"
#include "drives/DiskIdentifier.h"
#include "drives/mac/MacDiskTools.h"
#include "drives/mac/PropertyList.h"
#include "exec/Error.h"
#include "jobs/InfoReport.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    parsePropertyList(bytes);
  } catch (const Error& error) {
    FUZZ_CHECK(!error.description().isEmpty(), "an error without a description");
  }

  const QString text = QString::fromUtf8(bytes);
  const MacDiskTools tools;
  try {
    // Identifiers go into device paths and a root shell line.
    for (const QString& identifier : tools.parseDiskList(text))
      FUZZ_CHECK(isDiskIdentifier(identifier), identifier);
  } catch (const Error&) {
  }
  try {
    if (const auto drive = tools.parseDriveInfo(text, QStringLiteral("disk4"))) {
      FUZZ_CHECK(drive->bsdName == QLatin1String("disk4"), drive->bsdName);
    }
  } catch (const Error&) {
  }
  try {
    const QString partition = tools.parseFirstPartition(text, QStringLiteral("disk4"));
    FUZZ_CHECK(isDiskIdentifier(partition), partition);
  } catch (const Error&) {
  }

  if (const auto facts = tools.parseDriveFacts(text, std::nullopt)) {
    const QStringList lines = infoReportLines(*facts);
    FUZZ_CHECK(lines.first().startsWith(QLatin1String("Device: ")), lines.first());
    FUZZ_CHECK(lines.size() >= 3, QString::number(lines.size()));
  }
  return 0;
}
