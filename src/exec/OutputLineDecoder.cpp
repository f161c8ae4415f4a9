// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "exec/OutputLineDecoder.h"

#include <algorithm>

namespace tessaro {

namespace {

// How many bytes at the end of `bytes` begin a character that is not complete
// yet: a lead byte followed by fewer continuation bytes than it announces.
qsizetype unfinishedTail(QByteArrayView bytes) {
  for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
    const auto byte = static_cast<uchar>(bytes[bytes.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    const qsizetype length = byte >= 0xF8   ? 0
                             : byte >= 0xF0 ? 4
                             : byte >= 0xE0 ? 3
                             : byte >= 0xC0 ? 2
                                            : 0;
    return back < length ? back : 0;
  }
  return 0;
}

}  // namespace

OutputLineDecoder::OutputLineDecoder(qsizetype maxLineLength) : maxLineLength_(maxLineLength) {}

// Qt's stateful UTF-8 decoder (6.4) drops the byte after an unfinished
// character that the next read does not complete, a line feed included. So
// the decoder holds such a tail back itself and decodes only whole
// characters: each read's text is then the same as the whole stream's.
QStringList OutputLineDecoder::feed(QByteArrayView bytes) {
  QStringList lines;
  if (bytes.isEmpty()) return lines;
  QByteArrayView text = bytes;
  if (!unfinished_.isEmpty()) {
    unfinished_ += bytes;
    text = unfinished_;
  }
  const qsizetype complete = text.size() - unfinishedTail(text);
  partial_ += QString::fromUtf8(text.first(complete));
  unfinished_ = text.sliced(complete).toByteArray();
  takeLines(lines);
  return lines;
}

QStringList OutputLineDecoder::finish() {
  // A character the stream never finished is one U+FFFD.
  if (!unfinished_.isEmpty()) partial_ += QChar::ReplacementCharacter;
  unfinished_.clear();
  QStringList lines;
  if (partial_.isEmpty()) return lines;
  partial_ += QLatin1Char('\n');
  takeLines(lines);
  partial_.clear();
  return lines;
}

void OutputLineDecoder::takeLines(QStringList& lines) {
  qsizetype start = 0;
  for (;;) {
    const qsizetype end = partial_.indexOf(QLatin1Char('\n'), start);
    const bool tooLong =
        maxLineLength_ > 0 && (end < 0 ? partial_.size() : end) - start > maxLineLength_;
    if (tooLong) {
      // Never between the two halves of a surrogate pair (the decoder holds
      // back an unfinished UTF-8 sequence, so a pair is always whole here).
      qsizetype cut = maxLineLength_;
      if (partial_.at(start + cut - 1).isHighSurrogate()) cut = cut > 1 ? cut - 1 : 2;
      lines << partial_.mid(start, cut);
      start += cut;
      continue;
    }
    if (end < 0) break;
    qsizetype length = end - start;
    if (length > 0 && partial_.at(end - 1) == QLatin1Char('\r')) --length;
    lines << partial_.mid(start, length);
    start = end + 1;
  }
  if (start > 0) partial_.remove(0, start);
}

}  // namespace tessaro
