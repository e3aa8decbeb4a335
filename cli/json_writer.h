// JSON Lines for --json: one object per line, members in the order they are written.
// Strings are escaped as ripgrep's JSON escapes them (serde_json: \" \\ \b \f \n \r \t,
// other control characters as \u00XX, everything else as is), so the output is always
// valid UTF-8; bytes that may not be text (paths, found bytes) are written as ripgrep
// writes them: {"text":"..."} when they are valid UTF-8, {"bytes":"BASE64"} otherwise.
//
// Written here rather than taken from a JSON library: the output needs five kinds of value
// and no parsing, which fit in a page; a library (nlohmann-json on Debian) would be one more
// package for both builds and for the mingw include path, and ripgrep's "data" form would
// still be ours to write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::cli {

class JsonWriter {
 public:
  // A string member; ill-formed UTF-8 in text becomes U+FFFD (Data keeps every byte).
  JsonWriter& String(std::string_view key, std::string_view text);
  JsonWriter& Integer(std::string_view key, std::int64_t value);
  JsonWriter& Boolean(std::string_view key, bool value);
  JsonWriter& Object(std::string_view key, const JsonWriter& object);
  // Bytes as ripgrep's "data": {"text":"..."} or {"bytes":"BASE64"}.
  JsonWriter& Data(std::string_view key, std::string_view bytes);

  // The object: "{...}".
  std::string Text() const;
  // The object as one line of JSON Lines, newline included.
  std::string Line() const;

 private:
  JsonWriter& Member(std::string_view key, std::string_view json_value);

  std::string members_;  // "key":value,"key":value
};

// A JSON string literal, quotes included; ill-formed UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);

// Standard base64 (RFC 4648, '+' and '/', '=' padding).
std::string Base64(std::string_view bytes);

}  // namespace vantrel::cli
