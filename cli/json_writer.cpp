// The object is kept as its members' text, so nesting is a copy of finished text and a
// writer cannot be left half-written.
#include "cli/json_writer.h"

#include <algorithm>

#include "text/utf8.h"

namespace vantrel::cli {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  switch (byte) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (byte < 0x20) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
    return;
  }
  out += static_cast<char>(byte);
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    const Utf8Character ch = DecodeUtf8(text);
    if (!ch.valid) {
      AppendUtf8(out, kReplacementCharacter);
    } else if (ch.length == 1) {
      AppendEscaped(out, static_cast<unsigned char>(text[0]));
    } else {
      out.append(text.substr(0, ch.length));
    }
    text.remove_prefix(ch.length);
  }
  return out + "\"";
}

std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 3; ++i) {
      group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      out += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
  }
  return out;
}

JsonWriter& JsonWriter::Member(std::string_view key, std::string_view json_value) {
  if (!members_.empty()) members_ += ',';
  members_ += JsonString(key);
  members_ += ':';
  members_ += json_value;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view key, std::string_view text) { return Member(key, JsonString(text)); }

JsonWriter& JsonWriter::Integer(std::string_view key, std::int64_t value) { return Member(key, std::to_string(value)); }

JsonWriter& JsonWriter::Boolean(std::string_view key, bool value) { return Member(key, value ? "true" : "false"); }

JsonWriter& JsonWriter::Object(std::string_view key, const JsonWriter& object) { return Member(key, object.Text()); }

JsonWriter& JsonWriter::Data(std::string_view key, std::string_view bytes) {
  JsonWriter data;
  if (IsValidUtf8(bytes)) {
    data.String("text", bytes);
  } else {
    data.Member("bytes", "\"" + Base64(bytes) + "\"");
  }
  return Object(key, data);
}

std::string JsonWriter::Text() const { return "{" + members_ + "}"; }

std::string JsonWriter::Line() const { return Text() + "\n"; }

}  // namespace vantrel::cli
