// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace tessaro::test {

// One row of a table of hostile inputs kept as data: its fields, and where
// it is, for the failure message ("argument-attacks.rows:12").
struct DataRow {
  QString where;
  QByteArrayList fields;
};

// The rows of a file, one a line, fields separated by separator (" | " or a
// tab) and trimmed of blanks at either end; blank lines and lines that start
// with # are left out. Empty when the file cannot be read.
QList<DataRow> readDataRows(const QString& path, const QByteArray& separator = " | ");

// The lines of a file as they are, but for empty lines and those that start
// with #, for files of one input a line.
QByteArrayList readDataLines(const QString& path);

// Text with C escapes resolved, so that a row can hold any byte: \n \r \t \\,
// \xHH (a byte, two hex digits; \x20 is a blank) and \uHHHH (a character of
// the Basic Multilingual Plane, in UTF-8); {N*c} is the character c N times
// ({16384*a}). "" alone is the empty text.
QByteArray unescaped(const QByteArray& text);

// A field of words separated by blanks, each unescaped.
QByteArrayList wordsOf(const QByteArray& field);

// Fields (or the words of one, split at its blanks), each unescaped, as UTF-8 text.
QStringList textsOf(const QByteArrayList& fields);

// A property list's dictionary as a row writes it, KEY=VALUE words (each
// unescaped): true and false a boolean, digits a number, anything else text.
QVariantMap propertiesOf(const QByteArray& field);

// A size as the rows write it, in bytes: "31232000", "700M+12K", "2G-4K"
// (K, M, G and T are powers of 1024).
quint64 bytesOf(const QString& text);

// A fake drive (tests/fakes/FakeDriveShape.h) in a row's words, "KIND CLAIMED REAL
// [OPTIONS]", with its sizes in bytes: the words the fake's program takes.
QStringList driveWordsOf(const QString& text);

// Gives feed the bytes in the pieces that cuts (offsets, ascending) make of
// them, as the reads of a stream could deliver them.
template <typename Feed>
void feedInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts, Feed&& feed) {
  qsizetype from = 0;
  for (const qsizetype cut : cuts) {
    feed(bytes.mid(from, cut - from));
    from = cut;
  }
  feed(bytes.mid(from));
}

}  // namespace tessaro::test
