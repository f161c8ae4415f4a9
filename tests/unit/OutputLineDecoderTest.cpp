// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QStringList>

#include "DataRows.h"
#include "exec/OutputLineDecoder.h"
#include "exec/PkexecReason.h"

using tessaro::OutputLineDecoder;
namespace test = tessaro::test;

namespace {

QStringList decodeInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts,
                           qsizetype maxLineLength = 0) {
  OutputLineDecoder decoder(maxLineLength);
  QStringList lines;
  qsizetype from = 0;
  for (qsizetype cut : cuts) {
    lines += decoder.feed(bytes.mid(from, cut - from));
    from = cut;
  }
  lines += decoder.feed(bytes.mid(from));
  lines += decoder.finish();
  return lines;
}

const QString fffd(QChar::ReplacementCharacter);

}  // namespace

// Every way of cutting a stream into two or three reads, including inside
// the two-, three- and four-byte characters and between CR and LF, gives the
// lines of the stream read whole.
TEST(OutputLineDecoderTest, EverySplitOfAStreamGivesTheSameLines) {
  const QByteArray stream =
      "mkfs.fat 4.2 (2021-01-31)\r\ncaf\xC3\xA9 \xE2\x9C\x94 \xF0\x9F\x9A\xAB\n\nbad \xFF here\n"
      "last line without line feed \xC3\xA9";
  const QStringList whole{"mkfs.fat 4.2 (2021-01-31)", QString::fromUtf8("café ✔ 🚫"), "",
                          "bad " + fffd + " here",
                          QString::fromUtf8("last line without line feed é")};
  ASSERT_EQ(decodeInPieces(stream, {}), whole);
  for (qsizetype first = 0; first <= stream.size(); ++first) {
    ASSERT_EQ(decodeInPieces(stream, {first}), whole) << first;
    for (qsizetype second = first; second <= stream.size(); second += 7)
      ASSERT_EQ(decodeInPieces(stream, {first, second}), whole) << first << ' ' << second;
  }
  // Byte by byte.
  QList<qsizetype> everyByte;
  for (qsizetype i = 1; i < stream.size(); ++i) everyByte << i;
  EXPECT_EQ(decodeInPieces(stream, everyByte), whole);
}

TEST(OutputLineDecoderTest, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/OutputLines/decoded.rows");
  ASSERT_GT(rows.size(), 5);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    const QByteArray bytes = test::unescaped(row.fields[0]);
    const QStringList lines = test::textsOf(row.fields.mid(1));
    EXPECT_EQ(decodeInPieces(bytes, {}), lines);
    // Cut inside whatever is there.
    if (bytes.size() > 2) EXPECT_EQ(decodeInPieces(bytes, {bytes.size() - 2}), lines);
  }
}

TEST(OutputLineDecoderTest, ALineWithoutEndIsCutAtTheLimit) {
  const QByteArray stream = QByteArray(25, 'x') + "\nshort\n" + QByteArray(10, 'y');
  const QStringList lines{QString(10, 'x'), QString(10, 'x'), QString(5, 'x'), "short",
                          QString(10, 'y')};
  EXPECT_EQ(decodeInPieces(stream, {3, 12, 30}, 10), lines);
  EXPECT_EQ(decodeInPieces(stream, {}, 10), lines);
  // A character outside the Basic Multilingual Plane at the limit (two
  // UTF-16 units) goes whole to the next piece rather than as two halves.
  const QByteArray wide = QByteArray(9, 'x') + "\xF0\x9F\x9A\xAB" + QByteArray(9, 'z');
  EXPECT_EQ(decodeInPieces(wide, {11}, 10),
            QStringList({QString(9, 'x'), QString::fromUtf8("\xF0\x9F\x9A\xAB") + QString(8, 'z'),
                         "z"}));
}

TEST(PkexecReasonTest, TheLineThatSaysWhy) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/OutputLines/pkexec-reasons.rows");
  ASSERT_GT(rows.size(), 5);
  for (const test::DataRow& row : rows) {
    EXPECT_EQ(tessaro::pkexecReason(test::unescaped(row.fields[0])),
              test::textsOf(row.fields.mid(1)).join(QString()))
        << row.where.toStdString();
  }
}
