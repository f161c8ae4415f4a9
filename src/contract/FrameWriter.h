// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro::contract {

// The helper's side of its framed output (HelperContract.h): after the start
// marker every line it writes is a frame whose start it chose. An event
// frame is HelperContract::eventPrefix and one compact JSON object; a text
// frame is HelperContract::textPrefix and the bytes of a line for people, at
// most maxTextBytes of them. What a tool prints only ever becomes text
// frames: a line of it that looks like an event, begins with a byte-order
// mark or runs past any length starts a text frame like any other, and a
// longer line is cut into several frames, between two characters.
class FrameWriter {
 public:
  static constexpr std::size_t maxTextBytes = 16 * 1024;

  // maxBytes: the most bytes of a line one frame carries (at least 4).
  explicit FrameWriter(std::size_t maxBytes = maxTextBytes);

  // One event frame of json (a line feed in it, which compact JSON never
  // holds, becomes a blank).
  static std::string eventFrame(std::string_view json);
  // The text frames of the helper's own text: one frame a line (cut when
  // longer), an empty text one empty frame.
  static std::string textFrames(std::string_view text);

  // A stream of bytes (a tool's output), framed as it arrives. What may be
  // the start of a character is held until the next bytes complete it.
  std::string pass(std::string_view bytes);
  // At the stream's end: what was held, and the line feed that ends an
  // unfinished last line, so that the next frame starts a line of its own.
  std::string finish();

 private:
  // Frames text, which holds no unfinished character but at the stream's end.
  void frame(std::string_view text, std::string& out);

  std::size_t maxTextBytes_;
  bool lineOpen_ = false;
  char lastByte_ = '\0';  // the last byte passed on
  std::size_t lineBytes_ = 0;
  std::string held_;
};

}  // namespace tessaro::contract
