// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The helper's output read in frames, for every way it can be cut into reads;
// and any bytes a tool prints, framed by the helper and read back, are text
// and nothing else: never an event, never a line the helper did not frame,
// and every character where it was.
#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "contract/FrameReader.h"
#include "contract/FrameWriter.h"
#include "contract/HelperContract.h"
#include "contract/Utf8Text.h"

using namespace tessaro;

namespace {

std::vector<contract::FrameReader::Frame> framesOf(const std::vector<std::string>& reads,
                                                   size_t maxLine) {
  contract::FrameReader reader(maxLine);
  std::vector<contract::FrameReader::Frame> frames;
  for (const std::string& read : reads) {
    const auto more = reader.feed(read);
    frames.insert(frames.end(), more.begin(), more.end());
  }
  const auto rest = reader.finish();
  frames.insert(frames.end(), rest.begin(), rest.end());
  return frames;
}

// What the lines of a tool's output read as, one after another: each line
// without its line feed and one carriage return before it, decoded.
std::u16string textOf(const std::string& bytes) {
  std::u16string text;
  size_t from = 0;
  while (from < bytes.size()) {
    const size_t end = bytes.find('\n', from);
    std::string line =
        bytes.substr(from, end == std::string::npos ? std::string::npos : end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += contract::Utf8Text::toUtf16(line);
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const size_t readerMax = 4 + input.take<uint8_t>() % 64;
  const size_t writerMax = 4 + input.take<uint8_t>() % 64;
  std::vector<std::string> reads;
  for (const QByteArray& piece : input.lengthPrefixedPieces()) reads.push_back(piece.toStdString());
  std::string whole;
  for (const std::string& read : reads) whole += read;
  const QString hex = QString::fromLatin1(QByteArray::fromStdString(whole).toHex(' '));

  // Any stream: the same frames however it is cut, no piece longer than the limit.
  const auto frames = framesOf(reads, readerMax);
  FUZZ_CHECK(frames == framesOf({whole}, readerMax), hex);
  for (const auto& frame : frames) FUZZ_CHECK(frame.text.size() <= readerMax, hex);

  // A tool's bytes, framed as they come and read back.
  contract::FrameWriter inPieces(writerMax), atOnce(writerMax);
  std::string framed = std::string(HelperContract::startMarker) + '\n';
  for (const std::string& read : reads) framed += inPieces.pass(read);
  framed += inPieces.finish();
  std::string framedAtOnce = std::string(HelperContract::startMarker) + '\n' + atOnce.pass(whole);
  framedAtOnce += atOnce.finish();
  FUZZ_CHECK(framed == framedAtOnce, hex);
  // A frame holds at most writerMax bytes, and one carriage return it ends with.
  std::u16string text;
  for (const auto& frame : framesOf({framed}, writerMax + 1)) {
    FUZZ_CHECK(frame.kind == contract::FrameReader::Frame::Kind::text && frame.framed, hex);
    text += frame.text;
  }
  FUZZ_CHECK(text == textOf(whole), hex);
  return 0;
}
