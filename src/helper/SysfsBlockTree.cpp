// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "helper/SysfsBlockTree.h"

#include <sys/sysmacros.h>

#include <QFile>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <cerrno>

#include "drives/LogicalSectorSize.h"
#include "helper/DeviceNumber.h"
#include "helper/KernelFile.h"
#include "helper/MountInfo.h"

namespace tessaro::helper {

namespace {

// Deeper than any stack of devices goes, as for lsblk's own output.
constexpr int kMaxDepth = 32;

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// What a missing file looks like: nothing at the path, or a file where a
// directory would be (an attribute looked for below an attribute).
bool isAbsent(int error) { return error == ENOENT || error == ENOTDIR; }

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

// Reads one disk's tree. Every read that fails for another reason than that
// there is nothing to read is kept in failure(), and the record read with it
// is not used: a file that could not be read never counts as absent.
class Reader {
 public:
  Reader(const SysfsBlockTree::Sources& sources, const MountInfo& mounts, QStringList swaps)
      : sources_(sources), mounts_(mounts), swaps_(std::move(swaps)) {
    devicesDir_ = resolved(sources.sysfsRoot + QStringLiteral("/devices"));
  }

  const QString& failure() const { return failure_; }

  // The device name (a kernel name) below parent (none: the top).
  std::optional<LsblkDevice> device(const QString& name, const LsblkDevice* parent,
                                    const QString& parentDir, int depth) {
    const QString dir = resolved(sources_.sysfsRoot + QStringLiteral("/class/block/") + name);
    const std::optional<dev_t> deviceNumber =
        dir.isEmpty() ? std::nullopt
                      : parseDeviceNumber(text(dir + QStringLiteral("/dev")).trimmed().toLatin1());
    if (!failure_.isEmpty()) return std::nullopt;
    if (dir.isEmpty() || !deviceNumber) {
      failure_ = QStringLiteral("there is no block device named ") + name;
      return std::nullopt;
    }
    // sysfs that shows a device below itself is not believed.
    if (above_.contains(name)) {
      failure_ = QStringLiteral("the devices below ") + name + QStringLiteral(" hold each other");
      return std::nullopt;
    }
    const bool partition = exists(dir + QStringLiteral("/partition"));
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

    const QMap<QString, QString> udev = udevProperties(record.majorMinor);
    record.fstype = udev.value(QStringLiteral("ID_FS_TYPE"));
    record.fsver = udev.value(QStringLiteral("ID_FS_VERSION"));
    record.label = unhex(udev.value(QStringLiteral("ID_FS_LABEL_ENC")));
    const bool holdsOthers = !entries(dir + QStringLiteral("/slaves")).isEmpty();
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
    if (!failure_.isEmpty()) return std::nullopt;
    if (!below.isEmpty() && depth >= kMaxDepth) {
      failure_ = QStringLiteral("the devices below ") + name + QStringLiteral(" nest too deep");
      return std::nullopt;
    }
    above_.insert(name);
    for (const QString& child : below) {
      const std::optional<LsblkDevice> childRecord = device(child, &record, dir, depth + 1);
      if (!childRecord) return std::nullopt;
      record.children << *childRecord;
    }
    above_.remove(name);
    return record;
  }

 private:
  void fail(const QString& path, int error) {
    if (failure_.isEmpty())
      failure_ = QString::fromStdString(KernelFile::failure(local(path), error));
  }

  // An attribute file: its text without the line feed sysfs ends it with
  // (lsblk keeps the blanks SCSI pads vendor and model with); none when
  // there is none.
  std::optional<QString> attribute(const QString& path) {
    const KernelFile::Bytes file = KernelFile::read(local(path), 4096);
    if (file.error != 0) {
      if (!isAbsent(file.error)) fail(path, file.error);
      return std::nullopt;
    }
    QByteArray text = QByteArray::fromStdString(file.bytes);
    if (text.endsWith('\n')) text.chop(1);
    return QString::fromUtf8(text);
  }

  QString text(const QString& path) { return attribute(path).value_or(QString()); }

  std::optional<qint64> number(const QString& path) {
    bool ok = false;
    const qint64 value = text(path).trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
  }

  bool exists(const QString& path) {
    const int error = KernelFile::find(local(path));
    if (error != 0 && !isAbsent(error)) fail(path, error);
    return error == 0;
  }

  // path with every link followed; empty when there is nothing there.
  QString resolved(const QString& path) {
    const KernelFile::Bytes real = KernelFile::resolve(local(path));
    if (real.error != 0) {
      if (!isAbsent(real.error)) fail(path, real.error);
      return {};
    }
    return QFile::decodeName(QByteArray::fromStdString(real.bytes));
  }

  // The name of what a link leads to; empty when path is no link.
  QString linkName(const QString& path) {
    const KernelFile::Bytes target = KernelFile::link(local(path));
    if (target.error != 0) {
      if (!isAbsent(target.error) && target.error != EINVAL) fail(path, target.error);
      return {};
    }
    const std::string& link = target.bytes;
    return QFile::decodeName(QByteArray::fromStdString(link.substr(link.rfind('/') + 1)));
  }

  QStringList entries(const QString& dir) {
    const KernelFile::Names listing = KernelFile::list(local(dir));
    if (listing.error != 0 && !isAbsent(listing.error)) fail(dir, listing.error);
    QStringList names;
    for (const std::string& name : listing.names)
      names << QFile::decodeName(QByteArray::fromStdString(name));
    return names;
  }

  // What udev recorded of a device (/run/udev/data/bMAJ:MIN, "E:KEY=VALUE");
  // nothing where udev keeps no record.
  QMap<QString, QString> udevProperties(const QString& majorMinor) {
    QMap<QString, QString> values;
    const QString path = sources_.udevData + QStringLiteral("/b") + majorMinor;
    const KernelFile::Bytes file = KernelFile::read(local(path), 1024 * 1024);
    if (file.error != 0) {
      if (!isAbsent(file.error)) fail(path, file.error);
      return values;
    }
    for (const QByteArray& line : QByteArray::fromStdString(file.bytes).split('\n')) {
      if (!line.startsWith("E:")) continue;
      const qsizetype equals = line.indexOf('=');
      if (equals < 0) continue;
      values.insert(QString::fromUtf8(line.mid(2, equals - 2)),
                    QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
  }

  // The partitions of a disk, in the order of their numbers.
  QStringList partitionsOf(const QString& diskDir) {
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
  QString type(const QString& name, const QString& dir, bool partition) {
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
  QStringList subsystemChain(QString dir) {
    QStringList chain;
    while (!devicesDir_.isEmpty() && dir.startsWith(devicesDir_ + QLatin1Char('/'))) {
      const QString subsystem = linkName(dir + QStringLiteral("/subsystem"));
      if (!subsystem.isEmpty() && (chain.isEmpty() || chain.last() != subsystem))
        chain << subsystem;
      dir = dir.left(dir.lastIndexOf(QLatin1Char('/')));
    }
    return chain;
  }

  // lsblk's TRAN: from the SCSI host the device hangs off, else nvme by name.
  QString transport(const QString& name, const QString& dir) {
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
      if (exists(classDir + QStringLiteral("spi_host") + host)) return QStringLiteral("spi");
      if (exists(classDir + QStringLiteral("fc_host") + host)) {
        const auto symbolic = attribute(classDir + QStringLiteral("fc_host") + host +
                                        QStringLiteral("/symbolic_name"));
        if (!symbolic) return {};
        return symbolic->contains(QLatin1String(" over ")) ? QStringLiteral("fcoe")
                                                           : QStringLiteral("fc");
      }
      if (exists(classDir + QStringLiteral("sas_host") + host) ||
          exists(scsiDevice + QStringLiteral("/sas_device")))
        return QStringLiteral("sas");
      if (exists(scsiDevice + QStringLiteral("/ieee1394_id"))) return QStringLiteral("sbp");
      if (exists(classDir + QStringLiteral("iscsi_host") + host)) return QStringLiteral("iscsi");
      if (resolved(scsiDevice).contains(QLatin1String("usb"))) return QStringLiteral("usb");
      if (exists(classDir + QStringLiteral("scsi_host") + host)) {
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
  QString failure_;
};

// The active swap areas, by path (the first field of /proc/swaps, escaped
// like the mount table); none, with why, when the file exists and cannot be
// read.
std::optional<QStringList> activeSwaps(const QString& path, QString* failure) {
  const KernelFile::Bytes file = KernelFile::read(local(path), 16 * 1024 * 1024);
  if (file.error == ENOENT) return QStringList();  // a kernel without swap
  if (file.error != 0) {
    *failure = QString::fromStdString(KernelFile::failure(local(path), file.error));
    return std::nullopt;
  }
  QStringList areas;
  const QList<QByteArray> lines = QByteArray::fromStdString(file.bytes).split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray area = lines[i].simplified().split(' ').first();
    if (!area.isEmpty()) areas << QString::fromUtf8(MountInfo::unescape(area));
  }
  return areas;
}

}  // namespace

std::optional<LsblkDevice> SysfsBlockTree::read(const QString& diskName, const Sources& sources,
                                                QString* failure) {
  const std::optional<MountInfo> mounts = MountInfo::readFile(sources.mountInfo, failure);
  if (!mounts) return std::nullopt;
  const std::optional<QStringList> swaps = activeSwaps(sources.swaps, failure);
  if (!swaps) return std::nullopt;
  Reader reader(sources, *mounts, *swaps);
  std::optional<LsblkDevice> record = reader.device(diskName, nullptr, QString(), 0);
  if (!reader.failure().isEmpty()) {
    *failure = reader.failure();
    return std::nullopt;
  }
  return record;
}

}  // namespace tessaro::helper
