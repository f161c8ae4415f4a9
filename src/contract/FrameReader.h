// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::contract {

// The application's side of the helper's framed output (HelperContract.h),
// read by read. It splits the byte stream only at line feeds and looks for
// a frame only at the start of a line: the first line must be the start
// marker, which it takes off; after it a line is an event frame, a text
// frame, or a line the helper did not frame, which is text and never an
// event. Without the marker nothing is framed: every line is such text.
//
// Text is decoded here, from the line's bytes: a character split over two
// reads comes out whole, bytes that are not UTF-8 come out as U+FFFD, and a
// byte-order mark is a character like any other. A carriage return before
// a line feed is dropped. A line longer than maxLineBytes comes out in
// pieces of at most that many bytes, cut between characters, each of the
// same kind as the line: what follows a cut is never the start of a line.
// An event frame longer than that is no event, and is dropped.
class FrameReader {
 public:
  struct Frame {
    enum class Kind { text, event };
    Kind kind = Kind::text;
    // text: the line (or piece of one), decoded.
    std::u16string text;
    // text: whether the helper framed it; false for a line before or without
    // the marker, or after it without a frame's prefix.
    bool framed = true;
    // event: the JSON after the prefix, as it came.
    std::string json;

    bool operator==(const Frame&) const = default;
  };

  explicit FrameReader(std::size_t maxLineBytes = 65536);

  // The frames these bytes complete, in order (maybe none).
  std::vector<Frame> feed(std::string_view bytes);
  // At the end of the stream: the unfinished last line, if there is one.
  std::vector<Frame> finish();

  // Whether the stream began with the start marker's line.
  bool markerSeen() const { return state_ == State::framed; }

 private:
  enum class State { first, framed, unframed };
  enum class LineKind { undecided, text, event, unframed, dropped };

  void endLine(std::vector<Frame>& frames);
  void cutLine(std::vector<Frame>& frames);
  LineKind kindOfLine() const;
  void deliver(LineKind kind, std::string_view bytes, std::vector<Frame>& frames);

  std::size_t maxLineBytes_;
  State state_ = State::first;
  // The bytes of the line so far; its prefix is taken off once it is known.
  std::string line_;
  LineKind lineKind_ = LineKind::undecided;
  // Whether the front of the line was passed on already.
  bool cut_ = false;
};

}  // namespace tessaro::contract
