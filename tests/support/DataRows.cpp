// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "DataRows.h"

#include <QFile>
#include <QFileInfo>

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

QByteArray unescaped(const QByteArray& text) {
  QByteArray bytes;
  if (text == "\"\"") return bytes;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
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

}  // namespace tessaro::test
