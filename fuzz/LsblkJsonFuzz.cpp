// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// lsblk's JSON as discovery, the partition lookup and the information report
// read it, and the report's property lists that the helper writes from it.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "FuzzCheck.h"
#include "drives/InfoReport.h"
#include "drives/LogicalSectorSize.h"
#include "drives/linux/LinuxBlockDevices.h"
#include "drives/linux/LinuxDiskTools.h"
#include "drives/linux/LinuxInfoProperties.h"
#include "drives/mac/PropertyList.h"
#include "exec/Error.h"

using namespace tessaro;

namespace {

const QString kSysfs = QStringLiteral(TESSARO_FIXTURES_DIR "/sysfs");

// A text as a property list can carry it: control characters other than tab
// and line ends become U+FFFD.
QString asWritten(QString text) {
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
      c = QChar::ReplacementCharacter;
  }
  return text;
}

// What the helper prints must read back as it was written.
void checkRoundTrip(const QVariantMap& properties) {
  const QString xml = writeXmlPropertyList(properties);
  QVariantMap readBack;
  try {
    readBack = parsePropertyList(xml).toMap();
  } catch (const Error& error) {
    FUZZ_CHECK(false, error.description() + QStringLiteral(" reading ") + xml);
  }
  QVariantMap expected;
  for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
    const QVariant& value = it.value();
    expected.insert(asWritten(it.key()), value.typeId() == QMetaType::QString
                                             ? QVariant(asWritten(value.toString()))
                                             : value);
  }
  FUZZ_CHECK(readBack == expected, xml);
}

void readDevice(const QJsonObject& disk) {
  if (const auto sectorBytes = lsblkLogicalSectorSize(disk))
    FUZZ_CHECK(isValidLogicalSectorSize(*sectorBytes), QString::number(*sectorBytes));
  (void)isOfferableDisk(disk, kSysfs);
  const QVariantMap diskProperties = linuxDiskProperties(disk, kSysfs);
  checkRoundTrip(diskProperties);
  QString output = writeXmlPropertyList(diskProperties);
  const QString diskName = disk.value(QLatin1String("name")).toString();
  for (const QJsonValue& child : disk.value(QLatin1String("children")).toArray()) {
    const QMap<QString, QString> blkid{{QStringLiteral("TYPE"), QStringLiteral("vfat")},
                                       {QStringLiteral("LABEL"), diskName}};
    const QVariantMap partition = linuxPartitionProperties(child.toObject(), diskName, blkid, {});
    checkRoundTrip(partition);
    output += writeXmlPropertyList(partition);
  }
  const QStringList lines = infoReportLines(output, diskName);
  FUZZ_CHECK(!lines.isEmpty() && lines.first().startsWith(QLatin1String("Device: ")), output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const LinuxDiskTools tools(QStringLiteral("/nonexistent/lsblk"), kSysfs,
                             QStringLiteral("/nonexistent/tessaro-helper"));
  try {
    for (const QString& name : tools.parseDiskList(text)) {
      FUZZ_CHECK(!name.isEmpty() && !isVirtualDeviceName(name), name);
      if (const auto drive = tools.parseDriveInfo(text, name))
        FUZZ_CHECK(drive->bsdName == name && drive->size > 0, drive->description);
    }
  } catch (const Error&) {
  }
  try {
    FUZZ_CHECK(!tools.parseFirstPartition(text, QStringLiteral("sdb")).isEmpty(), text);
  } catch (const Error&) {
  }
  try {
    for (const QJsonValue& device : parseLsblkDevices(text)) readDevice(device.toObject());
  } catch (const Error&) {
  }
  return 0;
}
