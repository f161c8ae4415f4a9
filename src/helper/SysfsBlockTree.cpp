// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/SysfsBlockTree.h"

#include <sys/sysmacros.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>

#include "drives/LogicalSectorSize.h"
#include "helper/DeviceNumber.h"
#include "helper/MountInfo.h"

namespace tessaro::helper {

namespace {

// Deeper than any stack of devices goes, as for lsblk's own output.
constexpr int kMaxDepth = 32;

// An attribute file: its text without the line feed sysfs ends it with
// (lsblk keeps the blanks SCSI pads vendor and model with); none when it
// cannot be read.
std::optional<QString> attribute(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray text = file.read(4096);
  if (text.endsWith('\n')) text.chop(1);
  return QString::fromUtf8(text);
}

QString text(const QString& path) { return attribute(path).value_or(QString()); }

std::optional<qint64> number(const QString& path) {
  bool ok = false;
  const qint64 value = text(path).trimmed().toLongLong(&ok);
  return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString linkName(const QString& path) { return QFileInfo(QFile::symLinkTarget(path)).fileName(); }

// lsblk's names for the SCSI peripheral types.
QString scsiTypeName(qint64 type) {
  static const QMap<qint64, QString> names{
      {0x00, QStringLiteral("disk")},    {0x01, QStringLiteral("tape")},
      {0x02, QStringLiteral("printer")}, {0x03, QStringLiteral("processor")},
      {0x04, QStringLiteral("worm")},    {0x05, QStringLiteral("rom")},
      {0x06, QStringLiteral("scanner")}, {0x07, QStringLiteral("mo-disk")},
      {0x08, QStringLiteral("changer")}, {0x09, QStringLiteral("comm")},
      {0x0c, QStringLiteral("raid")},    {0x0d, QStringLiteral("enclosure")},
      {0x0e, QStringLiteral("rbc")},     {0x11, QStringLiteral("osd")},
      {0x7f, QStringLiteral("no-lun")}};
  return names.value(type, QStringLiteral("disk"));
}

// What udev recorded of a device (/run/udev/data/bMAJ:MIN, "E:KEY=VALUE").
QMap<QString, QString> udevProperties(const QString& dataDir, const QString& majorMinor) {
  QMap<QString, QString> values;
  QFile file(dataDir + QStringLiteral("/b") + majorMinor);
  if (!file.open(QIODevice::ReadOnly)) return values;
  for (const QByteArray& line : file.read(1024 * 1024).split('\n')) {
    if (!line.startsWith("E:")) continue;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) continue;
    values.insert(QString::fromUtf8(line.mid(2, equals - 2)), QString::fromUtf8(line.mid(equals + 1)));
  }
  return values;
}

// udev's *_ENC values: "\x20" for a blank and the like.
QString unhex(const QString& encoded) {
  QByteArray bytes = encoded.toUtf8(), decoded;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    bool ok = false;
    if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
      const int byte = bytes.mid(i + 2, 2).toInt(&ok, 16);
      if (ok) {
        decoded += char(byte);
        i += 3;
        continue;
      }
    }
    decoded += bytes[i];
  }
  return QString::fromUtf8(decoded);
}

class Reader {
 public:
  Reader(const SysfsBlockTree::Sources& sources, const MountInfo& mounts, QStringList swaps)
      : sources_(sources), mounts_(mounts), swaps_(std::move(swaps)) {
    devicesDir_ = QFileInfo(sources.sysfsRoot + QStringLiteral("/devices")).canonicalFilePath();
  }

  // The device name (a kernel name) below parent (none: the top).
  std::optional<LsblkDevice> device(const QString& name, const LsblkDevice* parent,
                                    const QString& parentDir, int depth, QString* failure) {
    const QString dir =
        QFileInfo(sources_.sysfsRoot + QStringLiteral("/class/block/") + name).canonicalFilePath();
    const std::optional<dev_t> deviceNumber =
        parseDeviceNumber(text(dir + QStringLiteral("/dev")).trimmed().toLatin1());
    if (dir.isEmpty() || !deviceNumber) {
      *failure = QStringLiteral("there is no block device named ") + name;
      return std::nullopt;
    }
    // sysfs that shows a device below itself is not believed.
    if (above_.contains(name)) {
      *failure = QStringLiteral("the devices below ") + name + QStringLiteral(" hold each other");
      return std::nullopt;
    }
    const bool partition = QFileInfo::exists(dir + QStringLiteral("/partition"));
    const bool mapped = name.startsWith(QLatin1String("dm-"));
    const QString dmName = mapped ? text(dir + QStringLiteral("/dm/name")) : QString();

    LsblkDevice record;
    record.name = dmName.isEmpty() ? name : dmName;
    record.path = (dmName.isEmpty() ? QStringLiteral("/dev/") : QStringLiteral("/dev/mapper/")) +
                  record.name;
    record.majorMinor = QString::number(major(*deviceNumber)) + QLatin1Char(':') +
                        QString::number(minor(*deviceNumber));
    if (parent) record.parentName = parent->name;
    record.type = type(name, dir, partition);
    record.size = number(dir + QStringLiteral("/size")).value_or(0) * 512;
    // A partition has no queue of its own: lsblk reads its disk's.
    const QString queueDir = partition && !parentDir.isEmpty() ? parentDir : dir;
    if (const auto bytes = number(queueDir + QStringLiteral("/queue/logical_block_size"))) {
      record.logicalSectorSizeReported = true;
      record.logicalSectorSize =
          isValidLogicalSectorSize(*bytes) ? std::optional<int>(int(*bytes)) : std::nullopt;
    }
    const std::optional<qint64> removable = number(dir + QStringLiteral("/removable"));
    if (removable)
      record.removable = *removable == 1;
    else if (partition && parent)
      record.removable = parent->removable;
    const QStringList subsystems = subsystemChain(dir);
    record.subsystems = subsystems.join(QLatin1Char(':'));
    static const QStringList hotplugSubsystems{QStringLiteral("usb"), QStringLiteral("ieee1394"),
                                               QStringLiteral("pcmcia"), QStringLiteral("mmc"),
                                               QStringLiteral("ccw")};
    record.hotplug = removable == 1 || std::any_of(subsystems.begin(), subsystems.end(),
                                                   [](const QString& subsystem) {
                                                     return hotplugSubsystems.contains(subsystem);
                                                   });
    record.transport = transport(name, dir);
    record.readOnly = number(dir + QStringLiteral("/ro")).value_or(0) == 1;

    const QMap<QString, QString> udev = udevProperties(sources_.udevData, record.majorMinor);
    record.fstype = udev.value(QStringLiteral("ID_FS_TYPE"));
    record.fsver = udev.value(QStringLiteral("ID_FS_VERSION"));
    record.label = unhex(udev.value(QStringLiteral("ID_FS_LABEL_ENC")));
    const bool holdsOthers = !QDir(dir + QStringLiteral("/slaves"))
                                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                  .isEmpty();
    if (!partition && !holdsOthers) {
      record.vendor = text(dir + QStringLiteral("/device/vendor"));
      record.model = udev.contains(QStringLiteral("ID_MODEL_ENC"))
                         ? unhex(udev.value(QStringLiteral("ID_MODEL_ENC")))
                         : udev.value(QStringLiteral("ID_MODEL"),
                                      text(dir + QStringLiteral("/device/model")));
      record.serial = udev.value(QStringLiteral("ID_SERIAL_SHORT"),
                                 udev.value(QStringLiteral("ID_SERIAL"),
                                            text(dir + QStringLiteral("/device/serial"))));
      record.wwn = udev.value(QStringLiteral("ID_WWN_WITH_EXTENSION"),
                              udev.value(QStringLiteral("ID_WWN")));
    }

    record.mountpoints = mounts_.targetsOf(*deviceNumber, record.path);
    if (record.mountpoints.isEmpty() &&
        (swaps_.contains(record.path) || swaps_.contains(QStringLiteral("/dev/") + name)))
      record.mountpoints << QStringLiteral("[SWAP]");

    // Partitions, then what holds the device (a mapping or an array built
    // on it), each with what is below it.
    QStringList below;
    if (!partition) below << partitionsOf(dir);
    below << entries(dir + QStringLiteral("/holders"));
    if (!below.isEmpty() && depth >= kMaxDepth) {
      *failure = QStringLiteral("the devices below ") + name + QStringLiteral(" nest too deep");
      return std::nullopt;
    }
    above_.insert(name);
    for (const QString& child : below) {
      const std::optional<LsblkDevice> childRecord = device(child, &record, dir, depth + 1, failure);
      if (!childRecord) return std::nullopt;
      record.children << *childRecord;
    }
    above_.remove(name);
    return record;
  }

 private:
  static QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
  }

  // The partitions of a disk, in the order of their numbers.
  static QStringList partitionsOf(const QString& diskDir) {
    QList<std::pair<qint64, QString>> found;
    for (const QString& entry : entries(diskDir)) {
      if (const auto partitionNumber =
              number(diskDir + QLatin1Char('/') + entry + QStringLiteral("/partition")))
        found.append({*partitionNumber, entry});
    }
    std::sort(found.begin(), found.end());
    QStringList names;
    for (const auto& [partitionNumber, name] : found) names << name;
    return names;
  }

  // lsblk's TYPE.
  QString type(const QString& name, const QString& dir, bool partition) const {
    if (partition) return QStringLiteral("part");
    if (name.startsWith(QLatin1String("dm-"))) {
      QString prefix = text(dir + QStringLiteral("/dm/uuid")).section(QLatin1Char('-'), 0, 0);
      // kpartx's partitions: "part1-..." is a "part".
      if (prefix.startsWith(QLatin1String("part"), Qt::CaseInsensitive)) prefix = prefix.left(4);
      return prefix.isEmpty() ? QStringLiteral("dm") : prefix.toLower();
    }
    if (name.startsWith(QLatin1String("loop"))) return QStringLiteral("loop");
    if (name.startsWith(QLatin1String("md"))) {
      const QString level = text(dir + QStringLiteral("/md/level")).toLower();
      return level.isEmpty() ? QStringLiteral("md") : level;
    }
    if (const auto scsiType = number(dir + QStringLiteral("/device/type")))
      return scsiTypeName(*scsiType);
    return QStringLiteral("disk");
  }

  // The subsystems from the device up to the root of the device tree, each
  // run of one named once ("block:scsi:usb:pci").
  QStringList subsystemChain(QString dir) const {
    QStringList chain;
    while (!devicesDir_.isEmpty() && dir.startsWith(devicesDir_ + QLatin1Char('/'))) {
      const QString subsystem = linkName(dir + QStringLiteral("/subsystem"));
      if (!subsystem.isEmpty() && (chain.isEmpty() || chain.last() != subsystem))
        chain << subsystem;
      dir = QFileInfo(dir).path();
    }
    return chain;
  }

  // lsblk's TRAN: from the SCSI host the device hangs off, else nvme by name.
  QString transport(const QString& name, const QString& dir) const {
    // A SCSI device is named HOST:CHANNEL:TARGET:LUN.
    const QString hctl = linkName(dir + QStringLiteral("/device"));
    const QStringList address = hctl.split(QLatin1Char(':'));
    const bool scsi =
        address.size() == 4 && std::all_of(address.begin(), address.end(), [](const QString& part) {
          return !part.isEmpty() && part.size() <= 9 &&
                 std::all_of(part.begin(), part.end(), [](QChar c) {
                   return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                 });
        });
    if (scsi) {
      const QString host = QStringLiteral("/host") + address[0];
      const QString classDir = sources_.sysfsRoot + QStringLiteral("/class/");
      const QString scsiDevice = sources_.sysfsRoot + QStringLiteral("/bus/scsi/devices/") + hctl;
      const auto isDir = [](const QString& path) { return QFileInfo(path).isDir(); };
      if (isDir(classDir + QStringLiteral("spi_host") + host)) return QStringLiteral("spi");
      if (isDir(classDir + QStringLiteral("fc_host") + host)) {
        const auto symbolic = attribute(classDir + QStringLiteral("fc_host") + host +
                                        QStringLiteral("/symbolic_name"));
        if (!symbolic) return {};
        return symbolic->contains(QLatin1String(" over ")) ? QStringLiteral("fcoe")
                                                           : QStringLiteral("fc");
      }
      if (isDir(classDir + QStringLiteral("sas_host") + host) ||
          QFileInfo::exists(scsiDevice + QStringLiteral("/sas_device")))
        return QStringLiteral("sas");
      if (QFileInfo::exists(scsiDevice + QStringLiteral("/ieee1394_id")))
        return QStringLiteral("sbp");
      if (isDir(classDir + QStringLiteral("iscsi_host") + host)) return QStringLiteral("iscsi");
      if (QFile::symLinkTarget(scsiDevice).contains(QLatin1String("usb")))
        return QStringLiteral("usb");
      if (isDir(classDir + QStringLiteral("scsi_host") + host)) {
        const QString procName =
            text(classDir + QStringLiteral("scsi_host") + host + QStringLiteral("/proc_name"));
        if (procName.startsWith(QLatin1String("ahci")) || procName.startsWith(QLatin1String("sata")))
          return QStringLiteral("sata");
        if (procName.contains(QLatin1String("ata"))) return QStringLiteral("ata");
        return {};
      }
    }
    if (name.startsWith(QLatin1String("nvme"))) return QStringLiteral("nvme");
    return {};
  }

  const SysfsBlockTree::Sources& sources_;
  const MountInfo& mounts_;
  const QStringList swaps_;
  QString devicesDir_;
  QSet<QString> above_;  // the devices the one being read lies below
};

// The active swap areas, by path (the first field of /proc/swaps, escaped
// like the mount table); none when the file exists and cannot be read.
std::optional<QStringList> activeSwaps(const QString& path) {
  QFile file(path);
  if (!file.exists()) return QStringList();  // a kernel without swap
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QStringList areas;
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray area = lines[i].simplified().split(' ').first();
    if (!area.isEmpty()) areas << QString::fromUtf8(MountInfo::unescape(area));
  }
  return areas;
}

}  // namespace

std::optional<LsblkDevice> SysfsBlockTree::read(const QString& diskName, const Sources& sources,
                                                QString* failure) {
  const std::optional<MountInfo> mounts = MountInfo::readFile(sources.mountInfo);
  if (!mounts) {
    *failure = QStringLiteral("the mount table (") + sources.mountInfo +
               QStringLiteral(") could not be read");
    return std::nullopt;
  }
  const std::optional<QStringList> swaps = activeSwaps(sources.swaps);
  if (!swaps) {
    *failure = QStringLiteral("the swap table (") + sources.swaps +
               QStringLiteral(") could not be read");
    return std::nullopt;
  }
  Reader reader(sources, *mounts, *swaps);
  return reader.device(diskName, nullptr, QString(), 0, failure);
}

}  // namespace tessaro::helper
