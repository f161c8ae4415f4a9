#pragma once

#include <QString>
#include <QStringList>

namespace tessaro {

// The log lines of one output chunk: the chunk without leading and trailing
// white space, cut at its line breaks. A chunk of blanks only still gives one
// (empty) line.
inline QStringList chunkLogLines(const QString& chunk) {
  QStringList lines = chunk.trimmed().split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  return lines;
}

}  // namespace tessaro
