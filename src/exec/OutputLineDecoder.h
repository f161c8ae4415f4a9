// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tessaro {

// Turns one stream of a tool's output into log lines, read by read. A
// character or a line split over several reads comes out whole; bytes that are
// not UTF-8 come out as U+FFFD with the text around them kept. A line ends at
// a line feed (a carriage return before it is dropped); what follows the last
// line feed comes out when the stream ends. A line longer than maxLineLength
// UTF-16 units (when not 0) is cut there, one unit earlier when a surrogate
// pair would be split, so that a stream without line feeds cannot grow a
// line without bound and no character is cut in two.
class OutputLineDecoder {
 public:
  explicit OutputLineDecoder(qsizetype maxLineLength = 0);

  // The lines that these bytes complete, in order (maybe none).
  QStringList feed(QByteArrayView bytes);
  // At the end of the stream: the unfinished last line, if there is one; an
  // unfinished character in it becomes U+FFFD.
  QStringList finish();

 private:
  void takeLines(QStringList& lines);

  QByteArray unfinished_;  // the start of a character the next read may complete
  QString partial_;
  qsizetype maxLineLength_;
};

}  // namespace tessaro
