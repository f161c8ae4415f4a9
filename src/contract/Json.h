// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tessaro::contract {

// One JSON value, as the helper's events carry them: written compact on one
// line, read back strictly. Plain C++, so that the root helper needs no GUI
// toolkit to speak.
//
// Reading takes exactly one value (blanks around it allowed) of RFC 8259 and
// nothing else: no comments, no trailing commas, no duplicate member names,
// strings of valid UTF-8 only (a \u escape of a lone surrogate is refused),
// numbers of JSON's grammar, nested at most maxDepth deep. Whole numbers that
// fit 64 bits stay exact; any other number is a double. Writing replaces
// bytes of a string that are not UTF-8 with U+FFFD, so that what is written
// can always be read; it writes numbers and escapes as the events were
// written before this reader existed (the shortest form that reads back,
// \b \f \n \r \t, \u00XX for other control characters).
class Json {
 public:
  using Array = std::vector<Json>;
  // Members in the order they were set; each name once.
  using Object = std::vector<std::pair<std::string, Json>>;

  enum class Kind { null, boolean, integer, real, string, array, object };

  static constexpr int maxDepth = 32;

  Json() = default;
  Json(std::nullptr_t) {}
  Json(bool value) : value_(value) {}
  // Any whole number type; values past 2^63 are the caller's to avoid.
  template <typename T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
  Json(T value) : value_(std::int64_t(value)) {}
  Json(double value) : value_(value) {}
  // A number as the events have always written it: a whole one that a double
  // holds exactly (to 2^53) without fraction, as an integer; any other as a
  // double.
  static Json wholeOrReal(double value);
  Json(std::string value) : value_(std::move(value)) {}
  Json(std::string_view value) : value_(std::string(value)) {}
  Json(const char* value) : value_(std::string(value)) {}
  Json(Array value) : value_(std::move(value)) {}
  Json(Object value) : value_(std::move(value)) {}

  Kind kind() const { return Kind(value_.index()); }
  bool isNull() const { return kind() == Kind::null; }

  // The value as that type; none when it is of another (a whole double is
  // no integer, an integer is a number).
  std::optional<bool> boolean() const;
  std::optional<std::int64_t> integer() const;
  std::optional<double> number() const;
  const std::string* string() const { return std::get_if<std::string>(&value_); }
  const Array* array() const { return std::get_if<Array>(&value_); }
  const Object* object() const { return std::get_if<Object>(&value_); }

  // An object's member; none when this is no object or has no such member.
  const Json* find(std::string_view name) const;
  // Sets an object's member (appended when new); a value that is no object
  // becomes an empty one first.
  Json& set(std::string name, Json value);

  // One line, no blanks: {"a":1,"b":[true,null]}.
  std::string compact() const;
  // For people and scripts alike, as lsblk --json writes: four blanks a
  // level, one member or item a line, a line feed at the end.
  std::string indented() const;
  static std::optional<Json> parse(std::string_view text);

  bool operator==(const Json&) const = default;

 private:
  std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, Array, Object> value_;
};

}  // namespace tessaro::contract
