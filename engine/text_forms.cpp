// The six conversions between a text form and the hex form, and the hex box reformat.
// Every text form goes through the hex box: there is no direct conversion between two
// text forms, so the hex box is always the one the others agree with.
#include "engine/text_forms.h"

#include <cstdint>

#include "engine/hex_text.h"
#include "engine/os/codepage.h"
#include "engine/text_limits.h"

namespace vantrel {
namespace {

constexpr std::string_view kZeroByte = " 00";
constexpr std::u16string_view kZeroUnit = u" 00 00";

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Narrow bytes as hex text in the hex box, with the terminating zero when asked for. The
// suffix comes after the normal form, so an empty text gives " 00" with its space.
void SetBytesAsHex(BoxAccess& boxes, BoxId hex, std::string_view bytes) {
  std::string text = BytesToHexText(AsBytes(bytes));
  if (boxes.WholeString()) text += kZeroByte;
  boxes.SetNarrow(hex, text);
}

// The pattern of a hex box, as the run would decode it.
Bytes ReadHexBytes(BoxAccess& boxes, BoxId hex) { return HexTextToBytes(boxes.ReadNarrow(hex)); }

// The bytes up to the first zero byte: a narrow text ends there.
std::string_view UpToZeroByte(const Bytes& bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return text.substr(0, text.find('\0'));
}

char16_t HexDigitUnit(unsigned value) { return static_cast<char16_t>(value < 10 ? u'0' + value : u'A' + value - 10); }

}  // namespace

void AnsiToHex(BoxAccess& boxes, BoxId src, BoxId hex) { SetBytesAsHex(boxes, hex, boxes.ReadNarrow(src)); }

void Utf8ToHex(BoxAccess& boxes, BoxId src, BoxId hex) {
  // A text whose UTF-8 form is longer than 259 bytes is cut at the source, after the last
  // whole character that fits, so the form never holds half a sequence.
  SetBytesAsHex(boxes, hex, NarrowPrefix(boxes.ReadWide(src), os::kUtf8, kUtf8FormLimit));
}

void UnicodeToHex(BoxAccess& boxes, BoxId src, BoxId hex) {
  // At most 64 units (63 before the zero unit) are taken, never half a surrogate pair: all
  // that the hex box gives back whole when it is reformatted (see kUnicodeFormLimit).
  const std::u16string wide = boxes.ReadWide(src);
  const bool whole = boxes.WholeString();
  const std::u16string_view taken = Utf16Prefix(wide, whole ? kUnicodeFormLimit - 1 : kUnicodeFormLimit);
  std::u16string text;
  text.reserve(taken.size() * 4 + kZeroUnit.size());
  for (char16_t unit : taken) {
    for (unsigned byte : {unit & 0xFFu, static_cast<unsigned>(unit) >> 8}) {
      text.push_back(HexDigitUnit(byte >> 4));
      text.push_back(HexDigitUnit(byte & 0x0F));
    }
  }
  if (whole) text += kZeroUnit;
  boxes.SetWide(hex, text);
  ReformatHexBox(boxes, hex);
}

void HexToAnsi(BoxAccess& boxes, BoxId hex, BoxId dst) {
  const Bytes bytes = ReadHexBytes(boxes, hex);
  boxes.SetNarrow(dst, UpToZeroByte(bytes));
}

void HexToUtf8(BoxAccess& boxes, BoxId hex, BoxId dst) {
  const Bytes bytes = ReadHexBytes(boxes, hex);
  boxes.SetWide(dst, os::ToUtf16(UpToZeroByte(bytes), os::kUtf8));
}

void HexToUnicode(BoxAccess& boxes, BoxId hex, BoxId dst) {
  const Bytes bytes = ReadHexBytes(boxes, hex);
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    // An odd last byte pairs with a zero high byte.
    const unsigned high = i + 1 < bytes.size() ? bytes[i + 1] : 0u;
    const auto unit = static_cast<char16_t>(bytes[i] | high << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  boxes.SetWide(dst, text);
}

void ReformatHexBox(BoxAccess& boxes, BoxId box) {
  int caret = boxes.SelectionEnd(box);
  if (caret != 0) ++caret;
  boxes.SetNarrow(box, NormalizeHexText(boxes.ReadNarrow(box)));
  boxes.SetCaret(box, caret);
}

}  // namespace vantrel
