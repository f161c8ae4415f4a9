// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/HelperEvent.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLatin1StringView>

#include "contract/HelperContract.h"

namespace tessaro {

namespace {

const QLatin1StringView kEvent("event");

struct KindName {
  HelperEvent::Kind kind;
  QLatin1StringView name;
};
constexpr KindName kKinds[] = {
    {HelperEvent::Kind::step, QLatin1StringView("step")},
    {HelperEvent::Kind::writing, QLatin1StringView("writing")},
    {HelperEvent::Kind::progress, QLatin1StringView("progress")},
    {HelperEvent::Kind::result, QLatin1StringView("result")},
    {HelperEvent::Kind::failure, QLatin1StringView("failure")},
};

QString nameOf(HelperEvent::Kind kind) {
  for (const auto& [known, name] : kKinds) {
    if (known == kind) return name;
  }
  return {};
}

// A failure names its kind, whether anything was written, the tool, an exit
// status a process can have and its message.
bool isWellFormedFailure(const QJsonObject& fields) {
  // toInt gives -1 for a status that is no whole number.
  const int status = fields.value(QStringLiteral("status")).toInt(-1);
  return !fields.value(QStringLiteral("kind")).toString().isEmpty() &&
         fields.value(QStringLiteral("written")).isBool() &&
         fields.value(QStringLiteral("tool")).isString() && status >= 0 && status <= 255 &&
         fields.value(QStringLiteral("message")).isString();
}

// A step names a command of at least one word, each a text.
bool isWellFormedStep(const QJsonObject& fields) {
  const QJsonValue command = fields.value(QStringLiteral("command"));
  if (!command.isArray() || command.toArray().isEmpty()) return false;
  for (const QJsonValue word : command.toArray())
    if (!word.isString()) return false;
  return true;
}

}  // namespace

HelperEvent HelperEvent::step(const QStringList& command) {
  return {Kind::step,
          QJsonObject{{kEvent, nameOf(Kind::step)},
                      {QStringLiteral("command"), QJsonArray::fromStringList(command)}}};
}

QStringList HelperEvent::command() const {
  QStringList words;
  if (kind_ != Kind::step) return words;
  for (const QJsonValue word : fields_.value(QStringLiteral("command")).toArray())
    words << word.toString();
  return words;
}

HelperEvent HelperEvent::writing() {
  return {Kind::writing, QJsonObject{{kEvent, nameOf(Kind::writing)}}};
}

HelperEvent HelperEvent::progress(double fraction, quint64 bytesDone,
                                  std::optional<qint64> secondsLeft,
                                  std::optional<quint64> bytesPerSecond) {
  QJsonObject fields{{QStringLiteral("fraction"), fraction},
                     {QStringLiteral("bytesDone"), qint64(bytesDone)}};
  if (secondsLeft) fields.insert(QStringLiteral("secondsLeft"), *secondsLeft);
  if (bytesPerSecond) fields.insert(QStringLiteral("bytesPerSecond"), qint64(*bytesPerSecond));
  fields.insert(kEvent, nameOf(Kind::progress));
  return {Kind::progress, fields};
}

HelperEvent HelperEvent::result(const QString& verb, QJsonObject figures) {
  figures.insert(QStringLiteral("verb"), verb);
  figures.insert(kEvent, nameOf(Kind::result));
  return {Kind::result, figures};
}

HelperEvent HelperEvent::failure(const QString& kind, bool written, const QString& tool, int status,
                                 const QString& message) {
  return {Kind::failure, QJsonObject{{kEvent, nameOf(Kind::failure)},
                                     {QStringLiteral("kind"), kind},
                                     {QStringLiteral("written"), written},
                                     {QStringLiteral("tool"), tool},
                                     {QStringLiteral("status"), status},
                                     {QStringLiteral("message"), message}}};
}

HelperEvent HelperEvent::failure(int status, bool written, const QString& message) {
  return failure(QLatin1StringView(HelperContract::failureKind(status)), written, {}, status,
                 message);
}

QByteArray HelperEvent::json() const {
  return QJsonDocument(fields_).toJson(QJsonDocument::Compact);
}

QString HelperEvent::line() const {
  return QLatin1StringView(HelperContract::eventPrefix) + QString::fromUtf8(json());
}

std::optional<HelperEvent> HelperEvent::fromLine(const QString& line) {
  if (!line.startsWith(QLatin1StringView(HelperContract::eventPrefix))) return std::nullopt;
  return fromJson(
      QStringView(line).sliced(qsizetype(qstrlen(HelperContract::eventPrefix))).toUtf8());
}

std::optional<HelperEvent> HelperEvent::fromJson(QByteArrayView json) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  const QJsonObject fields = document.object();
  const QString name = fields.value(kEvent).toString();
  for (const auto& [kind, known] : kKinds) {
    if (name != known) continue;
    if (kind == Kind::failure && !isWellFormedFailure(fields)) return std::nullopt;
    if (kind == Kind::step && !isWellFormedStep(fields)) return std::nullopt;
    return HelperEvent(kind, fields);
  }
  return std::nullopt;
}

}  // namespace tessaro
