// The text forms on a fake box set, with GBK (936) and Western (1252) as the ANSI code page.
#include "ui/fields/text_forms.h"

#include <gtest/gtest.h>

#include "text/hex_text.h"
#include "tests/support/fake_boxes.h"

namespace vantrel {
namespace {

constexpr BoxId kAnsi = 1000, kUtf8 = 1015, kUnicode = 1001, kHex = 1002;
constexpr os::CodePage kGbk{936};
constexpr os::CodePage kWestern{1252};

using testing::FakeBoxes;

std::u16string HexAfter(void (*convert)(BoxAccess&, BoxId, BoxId), FakeBoxes& boxes, BoxId src,
                        std::u16string text) {
  boxes.Type(src, std::move(text), 0);
  convert(boxes, src, kHex);
  return boxes.Text(kHex);
}

std::u16string ShownFrom(void (*convert)(BoxAccess&, BoxId, BoxId), FakeBoxes& boxes, BoxId dst,
                         std::u16string hex) {
  boxes.Type(kHex, std::move(hex), 0);
  convert(boxes, kHex, dst);
  return boxes.Text(dst);
}

TEST(AnsiToHex, GivesTheBytesInTheAnsiCodePageWithTheZeroWhenWholeStringIsOn) {
  FakeBoxes boxes(kGbk, /*whole_string=*/false);
  EXPECT_EQ(HexAfter(AnsiToHex, boxes, kAnsi, u"abc"), u"61 62 63");
  EXPECT_EQ(HexAfter(AnsiToHex, boxes, kAnsi, u"中文"), u"D6 D0 CE C4");
  EXPECT_EQ(HexAfter(AnsiToHex, boxes, kAnsi, u""), u"");
  boxes.SetWholeString(true);
  EXPECT_EQ(HexAfter(AnsiToHex, boxes, kAnsi, u"abc"), u"61 62 63 00");
  EXPECT_EQ(HexAfter(AnsiToHex, boxes, kAnsi, u""), u" 00");  // the suffix follows the normal form
}

TEST(AnsiToHex, UsesTheCodePageOfTheSystem) {
  FakeBoxes western(kWestern, false);
  EXPECT_EQ(HexAfter(AnsiToHex, western, kAnsi, u"é"), u"E9");
  FakeBoxes gbk(kGbk, false);
  EXPECT_EQ(HexAfter(AnsiToHex, gbk, kAnsi, u"é"), u"A8 A6");
}

TEST(Utf8ToHex, GivesTheUtf8BytesIncludingCharactersOutsideTheBmp) {
  FakeBoxes boxes(kWestern, false);
  EXPECT_EQ(HexAfter(Utf8ToHex, boxes, kUtf8, u"中文"), u"E4 B8 AD E6 96 87");
  EXPECT_EQ(HexAfter(Utf8ToHex, boxes, kUtf8, u"😀"), u"F0 9F 98 80");
  boxes.SetWholeString(true);
  EXPECT_EQ(HexAfter(Utf8ToHex, boxes, kUtf8, u"abc"), u"61 62 63 00");
  EXPECT_EQ(HexAfter(Utf8ToHex, boxes, kUtf8, u""), u" 00");
}

TEST(UnicodeToHex, GivesEachUnitLowByteFirstInNormalForm) {
  FakeBoxes boxes(kGbk, false);
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u"abc"), u"61 00 62 00 63 00");
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u"中"), u"2D 4E");
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u"😀"), u"3D D8 00 DE");
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u""), u"");
  boxes.SetWholeString(true);
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u"abc"), u"61 00 62 00 63 00 00 00");
  EXPECT_EQ(HexAfter(UnicodeToHex, boxes, kUnicode, u""), u"00 00");  // normalised with the rest
}

TEST(HexToText, ShowsTheBytesInEachForm) {
  FakeBoxes boxes(kGbk);
  EXPECT_EQ(ShownFrom(HexToAnsi, boxes, kAnsi, u"D6 D0 CE C4"), u"中文");
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"E4 B8 AD E6 96 87"), u"中文");
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"F0 9F 98 80"), u"😀");
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"3D D8 00 DE"), u"😀");
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"2D 4E 87 65"), u"中文");
  FakeBoxes western(kWestern);
  EXPECT_EQ(ShownFrom(HexToAnsi, western, kAnsi, u"D6 D0 CE C4"), u"ÖÐÎÄ");
}

TEST(HexToText, EndsTheNarrowFormsAtAZeroByteAndTheUnicodeFormAtAZeroUnit) {
  FakeBoxes boxes(kGbk);
  EXPECT_EQ(ShownFrom(HexToAnsi, boxes, kAnsi, u"61 00 62"), u"a");
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"61 00 62"), u"a");
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"61 00 62"), std::u16string({0x0061, 0x0062}));
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"61 00 00 00 62 00"), u"a");
  EXPECT_EQ(ShownFrom(HexToAnsi, boxes, kAnsi, u" 00"), u"");
}

TEST(HexToText, PairsAnOddLastByteWithAZeroHighByte) {
  FakeBoxes boxes(kGbk);
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"41"), u"A");
  EXPECT_EQ(ShownFrom(HexToUnicode, boxes, kUnicode, u"41 42 43"), std::u16string({0x4241, 0x0043}));
}

// abc with the terminating zero is 61 62 63 00, which as UTF-16LE units is U+6261 U+0063.
TEST(HexToText, ShowsAbcWithItsZeroAsTwoUnitsInTheUnicodeBox) {
  FakeBoxes boxes(kWestern, /*whole_string=*/true);
  boxes.Type(kAnsi, u"abc", 3);
  AnsiToHex(boxes, kAnsi, kHex);
  HexToUnicode(boxes, kHex, kUnicode);
  HexToUtf8(boxes, kHex, kUtf8);
  EXPECT_EQ(boxes.Text(kHex), u"61 62 63 00");
  EXPECT_EQ(boxes.Text(kUnicode), std::u16string({0x6261, 0x0063}));
  EXPECT_EQ(boxes.Text(kUtf8), u"abc");
}

TEST(HexToText, ShowsInvalidUtf8AsReplacementCharacters) {
  FakeBoxes boxes(kWestern);
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"FF 41"), u"\uFFFDA");
  // One replacement for each ill-formed sequence, as the platform's conversion gives it.
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"E4 B8"), u"\uFFFD");
  EXPECT_EQ(ShownFrom(HexToUtf8, boxes, kUtf8, u"E4 B8 41 C0 80"), u"\uFFFDA\uFFFD\uFFFD");
  // An encoded surrogate is never let through; how many replacements it gives is the platform's.
  const std::u16string surrogate = ShownFrom(HexToUtf8, boxes, kUtf8, u"ED A0 80");
  EXPECT_FALSE(surrogate.empty());
  EXPECT_EQ(surrogate.find_first_not_of(u'\uFFFD'), std::u16string::npos);
}

TEST(ReformatHexBox, NormalisesAndMovesTheCaretOnePastWhereItWas) {
  FakeBoxes boxes(kWestern);
  boxes.Type(kHex, u"414", 3);  // after typing the third digit
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Text(kHex), u"41 4");
  EXPECT_EQ(boxes.Caret(kHex), 4);

  boxes.Type(kHex, u"41 4", 2);
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Caret(kHex), 3);

  boxes.Type(kHex, u"41 4", 0);
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Caret(kHex), 0);

  boxes.Type(kHex, u"41 42", 5);  // one past the end clamps to the end
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Caret(kHex), 5);
}

TEST(ReformatHexBox, TurnsPastedTextIntoPairsAndPutsBackADeletedSpace) {
  FakeBoxes boxes(kWestern);
  boxes.Type(kHex, u"41-42-43", 8);
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Text(kHex), u"41 42 43");
  boxes.Type(kHex, u"4142", 2);  // the space between the pairs deleted with backspace
  ReformatHexBox(boxes, kHex);
  EXPECT_EQ(boxes.Text(kHex), u"41 42");
  EXPECT_EQ(boxes.Caret(kHex), 3);
}

// The longest texts the boxes hold: every form stays within its limit, cut between whole
// characters, and the hex box stays in normal form.
TEST(TextFormLimits, AUtf8FormIsCutAfterTheLastWholeCharacterWithin259Bytes) {
  FakeBoxes boxes(kGbk, /*whole_string=*/false);
  boxes.Type(kUtf8, std::u16string(300, u'中'), 0);  // three bytes each
  Utf8ToHex(boxes, kUtf8, kHex);
  const std::u16string hex = boxes.Text(kHex);
  const Bytes bytes = HexTextToBytes(std::string(hex.begin(), hex.end()));
  EXPECT_EQ(bytes.size(), 258u);  // 86 whole characters
  EXPECT_EQ(os::ToUtf16(std::string(bytes.begin(), bytes.end()), os::kUtf8), std::u16string(86, u'中'));
}

TEST(TextFormLimits, AnAnsiBoxIsReadUpTo259BytesWithoutHalfACharacter) {
  FakeBoxes boxes(kGbk, /*whole_string=*/true);
  boxes.Type(kAnsi, std::u16string(1024, u'文'), 0);  // two bytes each in GBK
  AnsiToHex(boxes, kAnsi, kHex);
  const std::u16string hex = boxes.Text(kHex);
  const Bytes bytes = HexTextToBytes(std::string(hex.begin(), hex.end()));
  ASSERT_EQ(bytes.size(), 258u + 1u);  // 129 characters, then the zero
  EXPECT_EQ(bytes.back(), 0);
  EXPECT_EQ(os::ToUtf16(std::string(bytes.begin(), bytes.end() - 1), kGbk), std::u16string(129, u'文'));
}

TEST(TextFormLimits, AUnicodeFormIsCutBetweenWholeCharactersAndKeepsItsZero) {
  for (bool whole : {false, true}) {
    FakeBoxes boxes(kWestern, whole);
    std::u16string text = u"a";
    for (int i = 0; i < 200; ++i) text += u"😀";  // pairs from position 1: 63 or 64 units cut one in half
    boxes.Type(kUnicode, text, 0);
    UnicodeToHex(boxes, kUnicode, kHex);
    const std::u16string hex = boxes.Text(kHex);
    const std::string narrow(hex.begin(), hex.end());
    EXPECT_EQ(narrow, NormalizeHexText(narrow));
    // "a" and 31 whole pairs: 63 units with the zero, 64 would split the 32nd pair.
    const Bytes bytes = HexTextToBytes(narrow);
    EXPECT_EQ(bytes.size(), whole ? 63u * 2 + 2 : 63u * 2);
    if (whole) {
      EXPECT_EQ(narrow.substr(narrow.size() - 6), " 00 00");
    }
    EXPECT_EQ(narrow.substr(0, 17), "61 00 3D D8 00 DE");
  }
}

}  // namespace
}  // namespace vantrel
