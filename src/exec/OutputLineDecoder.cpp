#include "exec/OutputLineDecoder.h"

namespace tessaro {

OutputLineDecoder::OutputLineDecoder(qsizetype maxLineLength)
    : decoder_(QStringConverter::Utf8), maxLineLength_(maxLineLength) {}

QStringList OutputLineDecoder::feed(QByteArrayView bytes) {
  QStringList lines;
  if (bytes.isEmpty()) return lines;
  partial_ += decoder_.decode(bytes);
  takeLines(lines);
  return lines;
}

QStringList OutputLineDecoder::finish() {
  // The decoder keeps the bytes of an unfinished character to itself; a line
  // feed after them makes it give them up as U+FFFD (and sometimes swallows
  // the line feed with them).
  partial_ += decoder_.decode(QByteArrayView("\n", 1));
  if (partial_.endsWith(QLatin1Char('\n'))) partial_.chop(1);
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
      lines << partial_.mid(start, maxLineLength_);
      start += maxLineLength_;
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
