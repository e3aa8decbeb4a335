#include "platform/codepage_names.h"

#include <array>
#include <cctype>
#include <charconv>

namespace vantrel::os {
namespace {

struct Known {
  unsigned number;
  const char* iconv;
  std::array<const char*, 5> aliases;  // normalised: uppercase, no '-' or '_'
};

// The code pages people patch files in, with the names they call them by.
constexpr Known kKnown[] = {
    {65001, "UTF-8", {"UTF8", "CP65001"}},
    {936, "CP936", {"GBK", "GB2312", "CP936", "EUCCN"}},
    {54936, "GB18030", {"GB18030"}},
    {950, "BIG5", {"BIG5", "CP950"}},
    {932, "CP932", {"SHIFTJIS", "SJIS", "CP932", "WINDOWS31J"}},
    {949, "CP949", {"CP949", "UHC", "EUCKR", "KSC5601"}},
    {1252, "CP1252", {"WINDOWS1252", "CP1252"}},
    {1251, "CP1251", {"WINDOWS1251", "CP1251"}},
    {1250, "CP1250", {"WINDOWS1250", "CP1250"}},
    {28591, "ISO-8859-1", {"ISO88591", "LATIN1", "L1"}},
    {20127, "ASCII", {"ASCII", "USASCII", "ANSIX3.41968"}},
    {20866, "KOI8-R", {"KOI8R"}},
    {437, "CP437", {"CP437", "IBM437"}},
};

std::string Normalise(std::string_view name) {
  std::string out;
  for (char ch : name) {
    if (ch == '-' || ch == '_') continue;
    out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
  }
  return out;
}

std::optional<unsigned> ParseNumber(std::string_view text) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number == 0) return std::nullopt;
  return number;
}

}  // namespace

std::optional<unsigned> CodePageNumber(std::string_view name_or_number) {
  if (auto number = ParseNumber(name_or_number)) return number;
  const std::string name = Normalise(name_or_number);
  for (const Known& known : kKnown) {
    for (const char* alias : known.aliases) {
      if (alias != nullptr && name == alias) return known.number;
    }
  }
  // "CP1253", "WINDOWS-1253", "IBM850": the number is in the name.
  for (std::string_view prefix : {"WINDOWS", "CP", "IBM"}) {
    if (name.rfind(prefix, 0) == 0) {
      if (auto number = ParseNumber(std::string_view(name).substr(prefix.size()))) return number;
    }
  }
  return std::nullopt;
}

std::string IconvName(unsigned number) {
  for (const Known& known : kKnown) {
    if (known.number == number) return known.iconv;
  }
  return "CP" + std::to_string(number);
}

}  // namespace vantrel::os
