// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "DataRows.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tessaro::test {

QList<DataRow> readDataRows(const QString& path, const QByteArray& separator) {
  QFile file(path);
  QList<DataRow> rows;
  if (!file.open(QIODevice::ReadOnly)) return rows;
  const QString name = QFileInfo(path).fileName();
  int lineNumber = 0;
  while (!file.atEnd()) {
    QByteArray line = file.readLine();
    ++lineNumber;
    if (line.endsWith('\n')) line.chop(1);
    if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
    DataRow row{QStringLiteral("%1:%2").arg(name).arg(lineNumber), {}};
    for (qsizetype from = 0;;) {
      const qsizetype at = line.indexOf(separator, from);
      row.fields << line.mid(from, at < 0 ? -1 : at - from);
      if (at < 0) break;
      from = at + separator.size();
    }
    for (QByteArray& field : row.fields) field = field.trimmed();
    rows << row;
  }
  return rows;
}

QByteArrayList readDataLines(const QString& path) {
  QFile file(path);
  QByteArrayList lines;
  if (!file.open(QIODevice::ReadOnly)) return lines;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.isEmpty() && !line.startsWith('#')) lines << line;
  return lines;
}

QByteArray unescaped(const QByteArray& text) {
  QByteArray bytes;
  if (text == "\"\"") return bytes;
  static const QRegularExpression repeat(QStringLiteral("^\\{(\\d+)\\*(.)\\}"));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QRegularExpressionMatch times = text[i] == '{'
                                              ? repeat.match(QString::fromLatin1(text.mid(i, 16)))
                                              : QRegularExpressionMatch();
    if (times.hasMatch()) {
      bytes += QByteArray(times.captured(1).toInt(), char(times.captured(2)[0].toLatin1()));
      i += times.capturedLength() - 1;
    } else if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
    } else if (text[++i] == 'x') {
      bytes += char(text.mid(i + 1, 2).toInt(nullptr, 16));
      i += 2;
    } else if (text[i] == 'u') {
      bytes += QString(QChar(text.mid(i + 1, 4).toUShort(nullptr, 16))).toUtf8();
      i += 4;
    } else {
      bytes += text[i] == 'n' ? '\n' : text[i] == 't' ? '\t' : text[i] == 'r' ? '\r' : text[i];
    }
  }
  return bytes;
}

QByteArrayList wordsOf(const QByteArray& field) {
  QByteArrayList words;
  for (const QByteArray& word : field.split(' ')) {
    if (word.isEmpty()) continue;
    words << unescaped(word);
  }
  return words;
}

QStringList textsOf(const QByteArrayList& fields) {
  QStringList texts;
  for (const QByteArray& field : fields) texts << QString::fromUtf8(unescaped(field));
  return texts;
}

QVariantMap propertiesOf(const QByteArray& field) {
  QVariantMap properties;
  for (const QByteArray& bytes : wordsOf(field)) {
    const QString word = QString::fromUtf8(bytes);
    if (word.isEmpty()) continue;  // "": no properties
    const QString key = word.section('=', 0, 0), value = word.section('=', 1);
    bool number = false;
    const qint64 count = value.toLongLong(&number);
    properties[key] = value == "true" || value == "false" ? QVariant(value == "true")
                      : number                            ? QVariant(count)
                                                          : QVariant(value);
  }
  return properties;
}

quint64 bytesOf(const QString& text) {
  quint64 total = 0;
  static const QRegularExpression term(R"(([+-]?)(\d+)([KMGT]?))");
  for (auto it = term.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch part = it.next();
    const QString unit = part.captured(3);
    const int shift = unit.isEmpty() ? 0 : 10 * int(QStringLiteral("KMGT").indexOf(unit) + 1);
    const quint64 value = part.captured(2).toULongLong() << shift;
    total = part.captured(1) == "-" ? total - value : total + value;
  }
  return total;
}

QStringList driveWordsOf(const QString& text) {
  QStringList words;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const bool size = !words.empty() && !word.startsWith('-');
    words << (size ? QString::number(bytesOf(word)) : word);
  }
  return words;
}

}  // namespace tessaro::test
