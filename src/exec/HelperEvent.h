// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaro {

// One typed event of tessaro-helper, the part of its output the application
// reads. The helper writes each event as an event frame of its own, among the
// text frames that are for people (HelperContract.h): HelperContract::
// eventPrefix, then one compact JSON object whose "event" member names the
// kind. The application keeps events out of the log and reads nothing else
// of the helper's output.
//
//   step      "command": the argument vector of the tool about to run, as
//             the "$ " line after it shows it to people
//   writing   no members: from here on the run changes the drive
//   progress  "fraction" 0..1, "bytesDone" (0 where a verb counts its steps
//             rather than bytes), "secondsLeft" (absent until known),
//             "bytesPerSecond" (absent where the verb does not tell it)
//   result    "verb" and the verb's own figures
//   failure   "kind" (HelperContract::failureKind of the status), "written"
//             (whether the drive was changed), "tool" (may be empty), "status"
//             (the helper's exit status), "message" (the line it printed)
// A step or failure event whose members are missing or of the wrong type is
// no event.
class HelperEvent {
 public:
  enum class Kind { step, writing, progress, result, failure };

  static HelperEvent step(const QStringList& command);
  static HelperEvent writing();
  static HelperEvent progress(double fraction, quint64 bytesDone, std::optional<qint64> secondsLeft,
                              std::optional<quint64> bytesPerSecond = std::nullopt);
  static HelperEvent result(const QString& verb, QJsonObject figures);
  static HelperEvent failure(const QString& kind, bool written, const QString& tool, int status,
                             const QString& message);
  // The failure event of a run that stops with status.
  static HelperEvent failure(int status, bool written, const QString& message);

  Kind kind() const { return kind_; }
  // The members, "event" included.
  const QJsonObject& fields() const { return fields_; }

  // The event's JSON, compact, as its frame carries it.
  QByteArray json() const;
  // The line its frame is (without its line feed): eventPrefix and json().
  QString line() const;
  // A step event's command; empty for any other event.
  QStringList command() const;

  // The event an event frame's JSON carries; none when it is not one JSON
  // object naming a known kind.
  static std::optional<HelperEvent> fromJson(QByteArrayView json);
  // The event of a line that is an event frame; none for any other line.
  static std::optional<HelperEvent> fromLine(const QString& line);

 private:
  HelperEvent(Kind kind, QJsonObject fields) : kind_(kind), fields_(std::move(fields)) {}

  Kind kind_;
  QJsonObject fields_;
};

}  // namespace tessaro
