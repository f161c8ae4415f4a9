// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QByteArrayList>
#include <QRegularExpression>
#include <QString>

#include "DataRows.h"
#include "contract/FrameReader.h"
#include "contract/FrameWriter.h"
#include "contract/HelperContract.h"

using namespace tessaro;

namespace {

// A field with {N*x} written out.
QByteArray expanded(const QByteArray& field) {
  static const QRegularExpression repeat(QStringLiteral("\\{(\\d+)\\*(.)\\}"));
  QString text = QString::fromUtf8(field);
  for (auto match = repeat.match(text); match.hasMatch(); match = repeat.match(text)) {
    text.replace(match.capturedStart(), match.capturedLength(),
                 match.captured(2).repeated(match.captured(1).toInt()));
  }
  return test::unescaped(text.toUtf8());
}

// The frames as a row writes them, text in UTF-8.
QByteArrayList shown(const std::vector<contract::FrameReader::Frame>& frames) {
  QByteArrayList fields;
  for (const contract::FrameReader::Frame& frame : frames) {
    if (frame.kind == contract::FrameReader::Frame::Kind::event) {
      fields << "event:" + QByteArray::fromStdString(frame.json);
    } else {
      fields << (frame.framed ? "text:" : "plain:") +
                    QString(reinterpret_cast<const QChar*>(frame.text.data()),
                            qsizetype(frame.text.size()))
                        .toUtf8();
    }
  }
  return fields;
}

std::vector<contract::FrameReader::Frame> readInPieces(const QByteArray& bytes,
                                                       const QList<qsizetype>& cuts) {
  contract::FrameReader reader;
  std::vector<contract::FrameReader::Frame> frames;
  qsizetype from = 0;
  const auto take = [&](std::vector<contract::FrameReader::Frame> more) {
    frames.insert(frames.end(), more.begin(), more.end());
  };
  for (qsizetype cut : cuts) {
    take(reader.feed(bytes.mid(from, cut - from).toStdString()));
    from = cut;
  }
  take(reader.feed(bytes.mid(from).toStdString()));
  take(reader.finish());
  return frames;
}

QByteArray framedInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts) {
  contract::FrameWriter writer;
  std::string framed = std::string(HelperContract::startMarker) + '\n';
  qsizetype from = 0;
  for (qsizetype cut : cuts) {
    framed += writer.pass(bytes.mid(from, cut - from).toStdString());
    from = cut;
  }
  framed += writer.pass(bytes.mid(from).toStdString());
  framed += writer.finish();
  return QByteArray::fromStdString(framed);
}

// Cut points to try: every one for a short stream, some for a long one.
QList<QList<qsizetype>> cutsOf(qsizetype size) {
  QList<QList<qsizetype>> cuts{{}};
  const qsizetype step = size > 400 ? size / 97 + 1 : 1;
  for (qsizetype at = 1; at < size; at += step) cuts.append(QList<qsizetype>{at});
  if (size <= 400) {
    QList<qsizetype> everyByte;
    for (qsizetype at = 1; at < size; ++at) everyByte << at;
    cuts.append(QList<QList<qsizetype>>{everyByte});
  }
  return cuts;
}

}  // namespace

// What the helper prints arrives in any reads; what a tool prints is framed
// by the helper: read back, it is text, whatever it looks like.
TEST(HelperFramesTest, EveryRowReadsAsItsFramesHoweverItIsCut) {
  const QList<test::DataRow> rows =
      test::readDataRows(TESSARO_FIXTURES_DIR "/HelperFrames/frames.rows", "\t");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    SCOPED_TRACE(row.where.toStdString());
    ASSERT_GE(row.fields.size(), 2);
    const bool tool = row.fields[0] == "tool";
    ASSERT_TRUE(tool || row.fields[0] == "read");
    const QByteArray bytes = expanded(row.fields[1]);
    QByteArrayList expected;
    for (const QByteArray& field : row.fields.mid(2))
      if (field != "\"\"") expected << expanded(field);
    const QByteArray stream = tool ? framedInPieces(bytes, {}) : bytes;
    for (const QList<qsizetype>& cuts : cutsOf(bytes.size())) {
      if (tool)
        ASSERT_EQ(framedInPieces(bytes, cuts), stream) << "framed with cuts " << cuts.size();
      ASSERT_EQ(shown(readInPieces(stream, cuts)), expected) << "read with cuts " << cuts.size();
    }
  }
}

// The format itself: the helper's own lines and events, as bytes.
TEST(HelperFramesTest, TheHelpersOwnLinesAndEventsAreFramedAsTheContractSays) {
  EXPECT_EQ(contract::FrameWriter::textFrames("Refused: one\nRefused: two"),
            "| Refused: one\n| Refused: two\n");
  EXPECT_EQ(contract::FrameWriter::textFrames(""), "| \n");
  EXPECT_EQ(contract::FrameWriter::eventFrame("{\"event\":\"writing\"}"),
            "@@tessaro-event@@ {\"event\":\"writing\"}\n");
  EXPECT_EQ(contract::FrameWriter::eventFrame("{\n}"), "@@tessaro-event@@ { }\n");
  contract::FrameWriter tool;
  EXPECT_EQ(tool.pass("mkfs.fat 4.2\r\nhalf"), "| mkfs.fat 4.2\r\n| half");
  EXPECT_EQ(tool.finish(), "\n");
}
