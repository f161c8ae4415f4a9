// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FrameWriter.h"

#include "contract/HelperContract.h"
#include "contract/Utf8Text.h"

namespace tessaro {

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
  if (lineOpen_ || returns_ > 0) frame("\n", out);
  return out;
}

void FrameWriter::open(std::string& out) {
  if (lineOpen_) return;
  out += HelperContract::textPrefix;
  lineOpen_ = true;
  lineBytes_ = 0;
}

void FrameWriter::makeRoom(std::size_t bytes, std::string& out) {
  if (lineBytes_ == 0 || lineBytes_ + bytes <= maxTextBytes) return;
  // The rest of the line goes on in a frame of its own.
  out += '\n';
  out += HelperContract::textPrefix;
  lineBytes_ = 0;
}

void FrameWriter::appendReturns(std::size_t count, std::size_t following, std::string& out) {
  // The run and what follows it stay in one frame where they fit: a frame
  // that ended in a carriage return would lose it (the reader drops one
  // before a line feed). Only a run longer than a frame is cut inside.
  makeRoom(count + following, out);
  for (; count > 0; --count) {
    if (count + following > maxTextBytes) makeRoom(1, out);
    out += '\r';
    ++lineBytes_;
  }
}

void FrameWriter::frame(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size() + 8);
  std::size_t at = 0;
  while (at < text.size()) {
    const char byte = text[at];
    if (byte == '\r') {
      ++returns_;
      ++at;
      continue;
    }
    open(out);
    if (byte == '\n') {
      // The last return before the line feed ends the line with it.
      if (returns_ > 0) {
        appendReturns(returns_ - 1, 0, out);
        out += '\r';
      }
      out += '\n';
      returns_ = 0;
      lineOpen_ = false;
      ++at;
      continue;
    }
    const std::size_t length = Utf8Text::sequenceLength(text, at);
    appendReturns(returns_, length, out);
    returns_ = 0;
    makeRoom(length, out);
    out.append(text.substr(at, length));
    lineBytes_ += length;
    at += length;
  }
}

}  // namespace tessaro
