// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "contract/Json.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tessaro::contract {

namespace {

// The length of the UTF-8 character at text[at], or 0 when the bytes there
// are not one (overlong forms, surrogates and code points past U+10FFFF are
// not).
size_t utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  char32_t low = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, low = 0x80, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, low = 0x800, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, low = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

void writeString(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  out += '"';
  for (size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x80) {
      const size_t length = utf8Length(text, at);
      if (length == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD for a byte that begins no character
        ++at;
      } else {
        out.append(text.substr(at, length));
        at += length;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 0xF];
        } else {
          out += char(c);
        }
    }
    ++at;
  }
  out += '"';
}

// A line break and depth levels of indentation; nothing where depth is
// below 0 (compact).
void breakLine(std::string& out, int depth) {
  if (depth < 0) return;
  out += '\n';
  out.append(size_t(depth) * 4, ' ');
}

// value at depth levels of indentation, or compact where depth is -1.
void write(std::string& out, const Json& value, int depth) {
  const int inner = depth < 0 ? -1 : depth + 1;
  switch (value.kind()) {
    case Json::Kind::null:
      out += "null";
      return;
    case Json::Kind::boolean:
      out += *value.boolean() ? "true" : "false";
      return;
    case Json::Kind::integer:
      out += std::to_string(*value.integer());
      return;
    case Json::Kind::real: {
      const double number = *value.number();
      // JSON has no infinity and no NaN.
      if (!std::isfinite(number)) {
        out += "null";
        return;
      }
      char buffer[32];
      const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
      const std::string_view text(buffer, error == std::errc() ? size_t(end - buffer) : 0);
      out += text;
      // Written as a number with a fraction, it reads back as one.
      if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
      return;
    }
    case Json::Kind::string:
      writeString(out, *value.string());
      return;
    case Json::Kind::array: {
      out += '[';
      bool first = true;
      for (const Json& item : *value.array()) {
        if (!first) out += ',';
        first = false;
        breakLine(out, inner);
        write(out, item, inner);
      }
      if (!first) breakLine(out, depth);
      out += ']';
      return;
    }
    case Json::Kind::object: {
      out += '{';
      bool first = true;
      for (const auto& [name, member] : *value.object()) {
        if (!first) out += ',';
        first = false;
        breakLine(out, inner);
        writeString(out, name);
        out += depth < 0 ? ":" : ": ";
        write(out, member, inner);
      }
      if (!first) breakLine(out, depth);
      out += '}';
      return;
    }
  }
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Json> document() {
    std::optional<Json> value = parseValue(0);
    skipBlanks();
    if (!value || at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }

  bool take(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  std::optional<Json> parseValue(int depth) {
    skipBlanks();
    if (at_ >= text_.size()) return std::nullopt;
    switch (text_[at_]) {
      case 'n':
        return take("null") ? std::optional<Json>(Json()) : std::nullopt;
      case 't':
        return take("true") ? std::optional<Json>(Json(true)) : std::nullopt;
      case 'f':
        return take("false") ? std::optional<Json>(Json(false)) : std::nullopt;
      case '"': {
        std::optional<std::string> text = parseString();
        if (!text) return std::nullopt;
        return Json(std::move(*text));
      }
      case '[':
        return depth >= Json::maxDepth ? std::nullopt : parseArray(depth + 1);
      case '{':
        return depth >= Json::maxDepth ? std::nullopt : parseObject(depth + 1);
      default:
        return parseNumber();
    }
  }

  std::optional<Json> parseArray(int depth) {
    ++at_;  // [
    Json::Array items;
    skipBlanks();
    if (take("]")) return Json(std::move(items));
    for (;;) {
      std::optional<Json> item = parseValue(depth);
      if (!item) return std::nullopt;
      items.push_back(std::move(*item));
      skipBlanks();
      if (take("]")) return Json(std::move(items));
      if (!take(",")) return std::nullopt;
    }
  }

  std::optional<Json> parseObject(int depth) {
    ++at_;  // {
    Json::Object members;
    skipBlanks();
    if (take("}")) return Json(std::move(members));
    for (;;) {
      skipBlanks();
      if (at_ >= text_.size() || text_[at_] != '"') return std::nullopt;
      std::optional<std::string> name = parseString();
      if (!name) return std::nullopt;
      for (const auto& member : members)
        if (member.first == *name) return std::nullopt;
      skipBlanks();
      if (!take(":")) return std::nullopt;
      std::optional<Json> value = parseValue(depth);
      if (!value) return std::nullopt;
      members.emplace_back(std::move(*name), std::move(*value));
      skipBlanks();
      if (take("}")) return Json(std::move(members));
      if (!take(",")) return std::nullopt;
    }
  }

  std::optional<char32_t> hexQuad() {
    if (at_ + 4 > text_.size()) return std::nullopt;
    char32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      code <<= 4;
      if (c >= '0' && c <= '9') {
        code |= char32_t(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        code |= char32_t(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        code |= char32_t(c - 'A' + 10);
      } else {
        return std::nullopt;
      }
    }
    return code;
  }

  std::optional<std::string> parseString() {
    ++at_;  // "
    std::string out;
    while (at_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) return std::nullopt;
      if (c >= 0x80) {
        const size_t length = utf8Length(text_, at_);
        if (length == 0) return std::nullopt;
        out.append(text_.substr(at_, length));
        at_ += length;
        continue;
      }
      ++at_;
      if (c != '\\') {
        out += char(c);
        continue;
      }
      if (at_ >= text_.size()) return std::nullopt;
      switch (text_[at_++]) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::optional<char32_t> code = hexQuad();
          if (!code) return std::nullopt;
          if (*code >= 0xDC00 && *code <= 0xDFFF) return std::nullopt;
          if (*code >= 0xD800 && *code <= 0xDBFF) {
            if (!take("\\u")) return std::nullopt;
            const std::optional<char32_t> low = hexQuad();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
            code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
          }
          appendUtf8(out, *code);
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

  std::optional<Json> parseNumber() {
    const size_t start = at_;
    const auto digits = [&] {
      const size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - from;
    };
    take("-");
    if (take("0")) {
      // no leading zeros
    } else if (digits() == 0) {
      return std::nullopt;
    }
    bool whole = true;
    if (take(".")) {
      whole = false;
      if (digits() == 0) return std::nullopt;
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      whole = false;
      if (!take("+")) take("-");
      if (digits() == 0) return std::nullopt;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + at_;
    if (whole) {
      std::int64_t integer = 0;
      const auto [end, error] = std::from_chars(first, last, integer);
      if (error == std::errc() && end == last) return Json(integer);
    }
    double real = 0;
    const auto [end, error] = std::from_chars(first, last, real);
    if (error != std::errc() || end != last || !std::isfinite(real)) return std::nullopt;
    return Json(real);
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

Json Json::wholeOrReal(double value) {
  constexpr double largestExact = 9007199254740992.0;  // 2^53
  if (std::isfinite(value) && std::floor(value) == value && std::fabs(value) <= largestExact)
    return Json(std::int64_t(value));
  return Json(value);
}

std::optional<bool> Json::boolean() const {
  if (const bool* value = std::get_if<bool>(&value_)) return *value;
  return std::nullopt;
}

std::optional<std::int64_t> Json::integer() const {
  if (const std::int64_t* value = std::get_if<std::int64_t>(&value_)) return *value;
  return std::nullopt;
}

std::optional<double> Json::number() const {
  if (const std::int64_t* value = std::get_if<std::int64_t>(&value_)) return double(*value);
  if (const double* value = std::get_if<double>(&value_)) return *value;
  return std::nullopt;
}

const Json* Json::find(std::string_view name) const {
  const Object* members = object();
  if (!members) return nullptr;
  for (const auto& [key, value] : *members)
    if (key == name) return &value;
  return nullptr;
}

Json& Json::set(std::string name, Json value) {
  if (!object()) value_ = Object{};
  Object* members = std::get_if<Object>(&value_);
  for (auto& [key, member] : *members) {
    if (key == name) {
      member = std::move(value);
      return *this;
    }
  }
  members->emplace_back(std::move(name), std::move(value));
  return *this;
}

std::string Json::compact() const {
  std::string out;
  write(out, *this, -1);
  return out;
}

std::string Json::indented() const {
  std::string out;
  write(out, *this, 0);
  out += '\n';
  return out;
}

std::optional<Json> Json::parse(std::string_view text) { return Parser(text).document(); }

}  // namespace tessaro::contract
