// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "ui/StatusLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSaveFile>

namespace tessaro {

StatusLog::StatusLog(qsizetype lineLimit) : lineLimit_(std::max<qsizetype>(lineLimit, 1)) {}

void StatusLog::replace(const QString& text) {
  kept_.clear();
  dropped_ = 0;
  record_ =
      std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/tessaro-log-XXXXXX"));
  recordFailed_ = !record_->open();
  append(text.split(QLatin1Char('\n')));
}

void StatusLog::append(const QStringList& lines) {
  record(lines);
  for (const QString& line : lines) kept_.push_back(line);
  while (qsizetype(kept_.size()) > lineLimit_) {
    kept_.pop_front();
    ++dropped_;
  }
}

void StatusLog::record(const QStringList& lines) {
  if (!record_ || recordFailed_) return;
  QByteArray bytes;
  for (const QString& line : lines) {
    bytes += line.toUtf8();
    bytes += '\n';
  }
  if (record_->write(bytes) != bytes.size()) recordFailed_ = true;
}

QString StatusLog::text() const {
  QStringList lines;
  if (dropped_ > 0) lines << droppedNotice(dropped_);
  for (const QString& line : kept_) lines << line;
  return lines.join(QLatin1Char('\n'));
}

std::optional<QString> StatusLog::saveTo(const QString& path) const {
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return out.errorString();
  if (record_ && !recordFailed_) {
    if (!record_->flush()) return record_->errorString();
    QFile in(record_->fileName());
    if (!in.open(QIODevice::ReadOnly)) return in.errorString();
    // The file ends each line with a line feed; the log has none after its last.
    qint64 left = in.size() - 1;
    while (left > 0) {
      const QByteArray block = in.read(std::min<qint64>(left, 1 << 20));
      if (block.isEmpty()) return in.errorString();
      out.write(block);
      left -= block.size();
    }
  } else {
    // Without a record (it could not be written) the kept lines are all there is.
    out.write(text().toUtf8());
  }
  if (!out.commit()) return out.errorString();
  return std::nullopt;
}

QString StatusLog::droppedNotice(qsizetype dropped) {
  //: The locale whose digit grouping the count of dropped lines uses.
  const QLocale numbers(QCoreApplication::translate("StatusLog", "en_US"));
  return QCoreApplication::translate(
             "StatusLog", "[%1 earlier lines are not shown here; Save Log\u2026 keeps them all.]")
      .arg(numbers.toString(dropped));
}

}  // namespace tessaro
