// The text forms over the fake box set: any box text up to the box limits, in each form,
// with whole string on and off, GBK or Western as the ANSI code page. Properties: nothing
// overruns (the sanitizers watch), the hex box is in normal form (with " 00" behind it for
// an ANSI or UTF-8 text with whole string on), and it decodes to the bytes of the form.
//
// Input: [selector, UTF-16 units (little-endian)...].
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/hex_text.h"
#include "ui/fields/text_forms.h"
#include "text/text_limits.h"
#include "fuzz/check.h"
#include "tests/support/fake_boxes.h"

namespace {

using namespace vantrel;
constexpr BoxId kAnsi = 1000, kUtf8 = 1015, kUnicode = 1001, kHex = 1002;

std::string Narrow(const std::u16string& text) {
  std::string narrow;
  for (char16_t unit : text) {
    FUZZ_CHECK(unit < 0x80);  // the hex box holds only digits and spaces
    narrow.push_back(static_cast<char>(unit));
  }
  return narrow;
}

// The hex text the conversion wrote, without the " 00" that whole string appends to a
// narrow form; checks that the rest is in normal form.
std::string CheckedNormalForm(const std::string& hex, bool narrow_form, bool whole) {
  std::string body = hex;
  if (narrow_form && whole) {
    FUZZ_CHECK(body.size() >= 3 && body.compare(body.size() - 3, 3, " 00") == 0);
    body.resize(body.size() - 3);
  }
  FUZZ_CHECK(NormalizeHexText(body) == body);
  return body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  const bool whole = (selector & 1) != 0;
  const os::CodePage ansi{(selector & 2) != 0 ? 936u : 1252u};
  const int form = (selector >> 2) % 4;
  std::u16string text;
  for (std::size_t i = 1; i + 1 < size && text.size() < 1024; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }

  testing::FakeBoxes boxes(ansi, whole);
  const BoxId source = form == 0 ? kAnsi : form == 1 ? kUtf8 : form == 2 ? kUnicode : kHex;
  boxes.Type(source, text, static_cast<int>(text.size()));
  if (form == 0) AnsiToHex(boxes, kAnsi, kHex);
  if (form == 1) Utf8ToHex(boxes, kUtf8, kHex);
  if (form == 2) UnicodeToHex(boxes, kUnicode, kHex);
  if (form == 3) ReformatHexBox(boxes, kHex);

  const std::string hex = Narrow(boxes.Text(kHex));
  const std::string body = CheckedNormalForm(hex, form == 0 || form == 1, whole);
  const Bytes decoded = HexTextToBytes(body);
  if (form == 0) {
    const std::string expected = NarrowPrefix(text.substr(0, kBoxReadLimit), ansi, kBoxReadLimit);
    FUZZ_CHECK(decoded == Bytes(expected.begin(), expected.end()));
  } else if (form == 1) {
    const std::string expected = NarrowPrefix(text.substr(0, kBoxReadLimit), os::kUtf8, kUtf8FormLimit);
    FUZZ_CHECK(decoded == Bytes(expected.begin(), expected.end()));
  } else if (form == 2) {
    Bytes expected;
    for (char16_t unit : Utf16Prefix(text, whole ? kUnicodeFormLimit - 1 : kUnicodeFormLimit)) {
      expected.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      expected.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (whole) expected.insert(expected.end(), {0, 0});
    FUZZ_CHECK(decoded == expected);
  }
  // The other boxes of the group follow from the hex box without trouble.
  HexToAnsi(boxes, kHex, kAnsi);
  HexToUtf8(boxes, kHex, kUtf8);
  HexToUnicode(boxes, kHex, kUnicode);
  return 0;
}
