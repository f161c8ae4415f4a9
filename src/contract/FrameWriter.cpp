// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FrameWriter.h"

#include "contract/HelperContract.h"
#include "contract/Utf8Text.h"

namespace tessaro::contract {

FrameWriter::FrameWriter(std::size_t maxBytes) : maxTextBytes_(maxBytes < 4 ? 4 : maxBytes) {}

std::string FrameWriter::eventFrame(std::string_view json) {
  std::string frame = HelperContract::eventPrefix;
  frame.append(json);
  for (std::size_t at = frame.size() - json.size(); at < frame.size(); ++at)
    if (frame[at] == '\n') frame[at] = ' ';
  frame += '\n';
  return frame;
}

std::string FrameWriter::textFrames(std::string_view text) {
  FrameWriter writer;
  std::string frames = writer.pass(text);
  frames += writer.pass("\n");
  frames += writer.finish();
  return frames;
}

std::string FrameWriter::pass(std::string_view bytes) {
  std::string input = std::move(held_);
  held_.clear();
  input.append(bytes);
  const std::size_t complete = input.size() - Utf8Text::unfinishedTail(input);
  held_ = input.substr(complete);
  std::string out;
  frame(std::string_view(input).substr(0, complete), out);
  return out;
}

std::string FrameWriter::finish() {
  // A character the stream never finished is passed on as its bytes; the
  // unfinished last line is ended as a line feed would end it.
  std::string out;
  frame(held_, out);
  held_.clear();
  if (lineOpen_) out += '\n';
  lineOpen_ = false;
  return out;
}

void FrameWriter::frame(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size() + 8);
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '\n') {
      if (!lineOpen_) out += HelperContract::textPrefix;
      out += '\n';
      lineOpen_ = false;
      ++at;
      continue;
    }
    const std::size_t length = Utf8Text::sequenceLength(text, at);
    if (!lineOpen_) {
      out += HelperContract::textPrefix;
      lineOpen_ = true;
      lineBytes_ = 0;
    } else if (lineBytes_ + length > maxTextBytes_) {
      // The rest of the line goes on in a frame of its own. The reader drops
      // one carriage return before a line feed: a frame that ends in one of
      // the line's own gets another, for the reader to drop.
      if (out.empty() ? lastByte_ == '\r' : out.back() == '\r') out += '\r';
      out += '\n';
      out += HelperContract::textPrefix;
      lineBytes_ = 0;
    }
    out.append(text.substr(at, length));
    lineBytes_ += length;
    at += length;
  }
  if (!out.empty()) lastByte_ = out.back();
}

}  // namespace tessaro::contract
