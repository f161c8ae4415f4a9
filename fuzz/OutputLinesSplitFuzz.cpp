// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// A tool's output turned into log lines read by read: for every way the
// stream can be cut into reads, the lines are those of the whole stream
// decoded at once. pkexec's reason is read from the same bytes.
#include <QByteArray>
#include <algorithm>
#include <QString>
#include <QStringList>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "exec/OutputLineDecoder.h"
#include "exec/PkexecReason.h"

using namespace tessaro;

namespace {

QStringList linesOf(const QByteArrayList& reads, qsizetype maxLineLength) {
  OutputLineDecoder decoder(maxLineLength);
  QStringList lines;
  for (const QByteArray& read : reads) lines += decoder.feed(read);
  lines += decoder.finish();
  return lines;
}

// The whole stream decoded in one piece and cut at its line feeds.
QStringList expectedLines(const QByteArray& whole) {
  QStringList lines = QString::fromUtf8(whole).split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  for (QString& line : lines)
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  return lines;
}

QStringList withoutReplacements(QStringList lines) {
  for (QString& line : lines) line.remove(QChar::ReplacementCharacter);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const qsizetype maxLineLength = input.take<uint8_t>() % 64;
  const QByteArrayList reads = input.lengthPrefixedPieces();
  const QByteArray whole = reads.join();
  const QString hex = QString::fromLatin1(whole.toHex(' '));

  const QStringList lines = linesOf(reads, 0);
  FUZZ_CHECK(lines == linesOf({whole}, 0), hex);
  // How many U+FFFD a broken character gives is the decoder's choice; the
  // text and the line breaks around it are not.
  FUZZ_CHECK(withoutReplacements(lines) == withoutReplacements(expectedLines(whole)), hex);
  const QStringList cut = linesOf(reads, maxLineLength);
  FUZZ_CHECK(cut == linesOf({whole}, maxLineLength), hex);
  // A surrogate pair is never split, so a cut line holds at least that.
  if (maxLineLength > 0)
    for (const QString& line : cut)
      FUZZ_CHECK(line.size() <= std::max<qsizetype>(maxLineLength, 2), hex);

  const QString reason = pkexecReason(whole);
  for (const QChar c : reason)
    FUZZ_CHECK(c.category() != QChar::Other_Control && c != QLatin1Char('\n'), hex);
  return 0;
}
