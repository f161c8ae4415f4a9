// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/FrameReader.h"

#include <algorithm>

#include "contract/HelperContract.h"
#include "contract/Utf8Text.h"

namespace tessaro::contract {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Whether text may still grow into prefix or one that starts with it.
bool mayBecome(std::string_view text, std::string_view prefix) {
  return text.size() < prefix.size() && startsWith(prefix, text);
}

}  // namespace

FrameReader::FrameReader(std::size_t maxLineBytes)
    : maxLineBytes_(std::max<std::size_t>(maxLineBytes, 4)) {}

FrameReader::LineKind FrameReader::kindOfLine() const {
  const std::string_view line = line_;
  switch (state_) {
    case State::first:
      return mayBecome(line, HelperContract::startMarker) || line == HelperContract::startMarker
                 ? LineKind::undecided
                 : LineKind::unframed;
    case State::unframed:
      return LineKind::unframed;
    case State::framed:
      if (startsWith(line, HelperContract::eventPrefix)) return LineKind::event;
      if (startsWith(line, HelperContract::textPrefix)) return LineKind::text;
      if (mayBecome(line, HelperContract::eventPrefix) ||
          mayBecome(line, HelperContract::textPrefix))
        return LineKind::undecided;
      return LineKind::unframed;
  }
  return LineKind::unframed;
}

std::vector<FrameReader::Frame> FrameReader::feed(std::string_view bytes) {
  std::vector<Frame> frames;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view part = bytes.substr(0, end);
    if (lineKind_ != LineKind::dropped) line_.append(part);
    cutLine(frames);
    if (end == std::string_view::npos) break;
    endLine(frames);
    bytes.remove_prefix(end + 1);
  }
  return frames;
}

std::vector<FrameReader::Frame> FrameReader::finish() {
  std::vector<Frame> frames;
  if (!line_.empty() || lineKind_ == LineKind::text || lineKind_ == LineKind::event) {
    // A marker that never ended is no marker.
    if (state_ == State::first) state_ = State::unframed;
    endLine(frames);
  }
  return frames;
}

// Decides what the line is as soon as its start says so, and passes on
// the front of a line that has grown past the limit.
void FrameReader::cutLine(std::vector<Frame>& frames) {
  if (lineKind_ == LineKind::undecided) {
    lineKind_ = kindOfLine();
    if (lineKind_ == LineKind::unframed && state_ == State::first) state_ = State::unframed;
    if (lineKind_ == LineKind::event)
      line_.erase(0, std::string_view(HelperContract::eventPrefix).size());
    if (lineKind_ == LineKind::text)
      line_.erase(0, std::string_view(HelperContract::textPrefix).size());
  }
  // A line not told yet is no longer than the marker or a prefix.
  if (lineKind_ == LineKind::undecided || line_.size() <= maxLineBytes_) return;
  if (lineKind_ == LineKind::event) {
    lineKind_ = LineKind::dropped;
    line_.clear();
    return;
  }
  std::size_t start = 0;
  while (line_.size() - start > maxLineBytes_) {
    const std::string_view rest = std::string_view(line_).substr(start, maxLineBytes_);
    std::size_t length = maxLineBytes_ - Utf8Text::unfinishedTail(rest);
    if (length == 0) length = maxLineBytes_;
    deliver(lineKind_, rest.substr(0, length), frames);
    start += length;
  }
  line_.erase(0, start);
  cut_ = true;
}

void FrameReader::endLine(std::vector<Frame>& frames) {
  if (lineKind_ == LineKind::undecided) {
    if (state_ == State::first && line_ == HelperContract::startMarker) {
      state_ = State::framed;
      line_.clear();
      return;
    }
    if (state_ == State::first) state_ = State::unframed;
    lineKind_ = LineKind::unframed;
    cutLine(frames);
  }
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  // The end of a line that was cut holds nothing more when it ends at the cut.
  if (lineKind_ != LineKind::dropped && !(cut_ && line_.empty())) deliver(lineKind_, line_, frames);
  line_.clear();
  lineKind_ = LineKind::undecided;
  cut_ = false;
}

void FrameReader::deliver(LineKind kind, std::string_view bytes, std::vector<Frame>& frames) {
  Frame frame;
  if (kind == LineKind::event) {
    frame.kind = Frame::Kind::event;
    frame.json.assign(bytes);
  } else {
    frame.text = Utf8Text::toUtf16(bytes);
    frame.framed = kind == LineKind::text;
  }
  frames.push_back(std::move(frame));
}

}  // namespace tessaro::contract
