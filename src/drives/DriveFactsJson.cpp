// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/DriveFactsJson.h"

#include <QCoreApplication>
#include <QJsonParseError>

#include "exec/Error.h"
#include "exec/TypedEvent.h"

namespace tessaro {
namespace {

struct FactsText {
  Q_DECLARE_TR_FUNCTIONS(DriveFactsJson)
};

[[noreturn]] void unreadable(const QString& why) {
  throw Error(ErrorDomain::json, QJsonParseError::IllegalValue,
              FactsText::tr("the drive's facts could not be read: %1").arg(why));
}

std::optional<std::string> wireText(const std::optional<QString>& text) {
  return text ? std::optional(text->toStdString()) : std::nullopt;
}

std::optional<QString> appText(const std::optional<std::string>& text) {
  return text ? std::optional(QString::fromStdString(*text)) : std::nullopt;
}

}  // namespace

contract::DriveFacts DriveFactsJson::wire(const DriveFacts& facts) {
  contract::DriveFacts told;
  told.disk = {wireText(facts.disk.deviceNode),
               wireText(facts.disk.model),
               wireText(facts.disk.bus),
               facts.disk.removable,
               facts.disk.ejectable,
               facts.disk.wholeDisk,
               wireText(facts.disk.parentWholeDisk),
               facts.disk.deviceBlockSize,
               facts.disk.totalSize};
  if (const auto& partition = facts.partition) {
    told.partition =
        contract::PartitionFacts{wireText(partition->deviceNode), wireText(partition->volumeName),
                                 wireText(partition->filesystem), wireText(partition->mountPoint),
                                 partition->filesystemBlockSize};
  }
  return told;
}

DriveFacts DriveFactsJson::fromWire(const contract::DriveFacts& told) {
  DriveFacts facts;
  facts.disk = {appText(told.disk.deviceNode),
                appText(told.disk.model),
                appText(told.disk.bus),
                told.disk.removable,
                told.disk.ejectable,
                told.disk.wholeDisk,
                appText(told.disk.parentWholeDisk),
                told.disk.deviceBlockSize,
                told.disk.totalSize};
  if (const auto& partition = told.partition) {
    facts.partition =
        DriveFacts::Partition{appText(partition->deviceNode), appText(partition->volumeName),
                              appText(partition->filesystem), appText(partition->mountPoint),
                              partition->filesystemBlockSize};
  }
  return facts;
}

contract::HelperEvent DriveFactsJson::event(const DriveFacts& facts) {
  return contract::HelperEvent(wire(facts));
}

DriveFacts DriveFactsJson::fromEvent(const std::optional<HelperEvent>& result) {
  if (!result || result->kind() != HelperEvent::Kind::result)
    unreadable(QStringLiteral("the helper told none"));
  const std::optional<contract::HelperEvent> typed = typedEvent(*result);
  if (!typed) unreadable(QStringLiteral("a member is missing, of another type or out of range"));
  const contract::DriveFacts* told = typed->get<contract::DriveFacts>();
  if (!told) unreadable(QStringLiteral("the helper told another verb's result"));
  return fromWire(*told);
}

}  // namespace tessaro
