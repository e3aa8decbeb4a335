// Field synchronisation in the real dialog: typing into any box of a group rewrites the other
// three through the hex box, under the ANSI code page the test runs with (1252 or 936).
#include <windows.h>

#include <string>

#include "text/hex_text.h"
#include "platform/codepage.h"
#include "res/resource.h"
#include "tests/ui/dialog_fixture.h"

namespace vantrel::testing {
namespace {

std::wstring AnsiText(std::string_view bytes) {
  const std::u16string wide = os::ToUtf16(bytes, os::SystemAnsiCodePage());
  return std::wstring(wide.begin(), wide.end());
}

class FieldSyncTest : public DialogTest {
 protected:
  // Pastes text into a box as the clipboard's paste does: in place of the selection.
  void Paste(int id, std::wstring_view text) {
    SendMessageW(Item(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
    dialog().RunPendingMessages();
  }
  std::vector<std::wstring> Group(int ascii, int utf8, int unicode, int hex) {
    return {Text(ascii), Text(utf8), Text(unicode), Text(hex)};
  }
  std::vector<std::wstring> FindGroup() { return Group(IDC_FIND_ASCII, IDC_FIND_UTF8, IDC_FIND_UNICODE, IDC_FIND_HEX); }
  std::vector<std::wstring> ReplaceGroup() {
    return Group(IDC_REPLACE_ASCII, IDC_REPLACE_UTF8, IDC_REPLACE_UNICODE, IDC_REPLACE_HEX);
  }
};

TEST_F(FieldSyncTest, RunsUnderTheAnsiCodePageItWasStartedFor) {
  char expected[16] = {};
  if (GetEnvironmentVariableA("VANTREL_EXPECT_ACP", expected, sizeof expected) == 0) GTEST_SKIP() << "not set";
  EXPECT_EQ(GetACP(), static_cast<UINT>(std::stoul(expected)));
  EXPECT_EQ(os::SystemAnsiCodePage().number, GetACP());
}

TEST_F(FieldSyncTest, TypingIntoTheHexBoxKeepsItsNormalFormWithTheCaretAtTheEnd) {
  const std::wstring hex[] = {L"4", L"41", L"41 4", L"41 42"};
  const std::wstring ansi[] = {L"", L"A", L"A", L"AB"};
  for (int i = 0; i < 4; ++i) {
    Type(IDC_FIND_HEX, std::wstring(1, L"4142"[i]));
    EXPECT_EQ(Text(IDC_FIND_HEX), hex[i]);
    EXPECT_EQ(Caret(IDC_FIND_HEX), static_cast<int>(hex[i].size()));
    EXPECT_EQ(Text(IDC_FIND_ASCII), ansi[i]);
  }
  EXPECT_EQ(Text(IDC_FIND_UTF8), L"AB");
  EXPECT_EQ(Text(IDC_FIND_UNICODE), L"\x4241");
}

TEST_F(FieldSyncTest, AbcInTheAsciiBoxWithWholeStringOn) {
  Type(IDC_FIND_ASCII, L"abc");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"61 62 63 00");
  EXPECT_EQ(Text(IDC_FIND_UTF8), L"abc");
  // 61 62 63 00 read as UTF-16LE units is U+6261 U+0063.
  EXPECT_EQ(Text(IDC_FIND_UNICODE), L"\x6261\x0063");
  EXPECT_EQ(Text(IDC_FIND_ASCII), L"abc") << "the box typed into is not rewritten";
}

TEST_F(FieldSyncTest, AbcWithWholeStringOffGetsNoZero) {
  dialog().SetChecked(IDC_WHOLE_STRING, false);
  Type(IDC_FIND_ASCII, L"abc");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"61 62 63");
  dialog().SetChecked(IDC_WHOLE_STRING, true);
  EXPECT_EQ(Text(IDC_FIND_HEX), L"61 62 63") << "toggling whole string changes no box";
}

TEST_F(FieldSyncTest, ChineseInTheAsciiBoxGivesItsBytesInTheAnsiCodePage) {
  Type(IDC_FIND_ASCII, L"中文");
  if (GetACP() == 936) {
    EXPECT_EQ(Text(IDC_FIND_HEX), L"D6 D0 CE C4 00");
    EXPECT_EQ(Text(IDC_FIND_UTF8), L"\xFFFD\xFFFD\xFFFD\xFFFD") << "GBK bytes are not UTF-8";
    EXPECT_EQ(Text(IDC_FIND_UNICODE), L"\xD0D6\xC4CE");
  } else {
    EXPECT_EQ(Text(IDC_FIND_HEX), L"3F 3F 00") << "1252 has no such characters: the platform writes '?'";
    EXPECT_EQ(Text(IDC_FIND_UTF8), L"??");
  }
}

TEST_F(FieldSyncTest, ChineseInTheUtf8BoxGivesItsUtf8Bytes) {
  Type(IDC_FIND_UTF8, L"中文");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"E4 B8 AD E6 96 87 00");
  EXPECT_EQ(Text(IDC_FIND_ASCII), AnsiText("\xE4\xB8\xAD\xE6\x96\x87"));
  EXPECT_EQ(Text(IDC_FIND_UNICODE), L"\xB8E4\xE6AD\x8796");
}

TEST_F(FieldSyncTest, ChineseInTheUnicodeBoxGivesItsUtf16LeUnits) {
  Type(IDC_FIND_UNICODE, L"中文");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"2D 4E 87 65 00 00");
  EXPECT_EQ(Text(IDC_FIND_ASCII), AnsiText("-N\x87" "e"));
  EXPECT_EQ(Text(IDC_FIND_UTF8), L"-N\xFFFD" L"e") << "a lone 0x87 is not UTF-8";
}

TEST_F(FieldSyncTest, AHexTextWithAZeroInTheMiddle) {
  SetText(IDC_FIND_HEX, L"61 00 62");
  EXPECT_EQ(Text(IDC_FIND_ASCII), L"a");
  EXPECT_EQ(Text(IDC_FIND_UTF8), L"a");
  EXPECT_EQ(Text(IDC_FIND_UNICODE), L"\x0061\x0062");
}

TEST_F(FieldSyncTest, PastedPunctuationIsDroppedFromTheHexBox) {
  Paste(IDC_FIND_HEX, L"41-42-43");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"41 42 43");
  EXPECT_EQ(Text(IDC_FIND_ASCII), L"ABC");
}

TEST_F(FieldSyncTest, DeletingTheSpaceBetweenTwoPairsBringsItBack) {
  Type(IDC_REPLACE_HEX, L"4142");
  ASSERT_EQ(Text(IDC_REPLACE_HEX), L"41 42");
  SendMessageW(Item(IDC_REPLACE_HEX), EM_SETSEL, 3, 3);
  Type(IDC_REPLACE_HEX, L"\b");
  EXPECT_EQ(Text(IDC_REPLACE_HEX), L"41 42");
  EXPECT_EQ(Text(IDC_REPLACE_ASCII), L"AB");
}

TEST_F(FieldSyncTest, TheGroupsNeverTouchEachOther) {
  Type(IDC_FIND_ASCII, L"find");
  const auto find = FindGroup();
  Type(IDC_REPLACE_ASCII, L"x");
  Type(IDC_REPLACE_UTF8, L"y");
  Type(IDC_REPLACE_UNICODE, L"z");
  Type(IDC_REPLACE_HEX, L"41");
  EXPECT_EQ(FindGroup(), find);

  const auto replace = ReplaceGroup();
  Type(IDC_FIND_UTF8, L"y");
  Type(IDC_FIND_UNICODE, L"z");
  Type(IDC_FIND_HEX, L"42");
  EXPECT_EQ(ReplaceGroup(), replace);
}

TEST_F(FieldSyncTest, EveryBoxOfTheReplaceGroupDrivesTheOthers) {
  Type(IDC_REPLACE_UNICODE, L"ab");
  EXPECT_EQ(ReplaceGroup(), (std::vector<std::wstring>{L"a", L"a", L"ab", L"61 00 62 00 00 00"}));
  SetText(IDC_REPLACE_UNICODE, L"");
  Type(IDC_REPLACE_UTF8, L"é");
  EXPECT_EQ(Text(IDC_REPLACE_HEX), L"C3 A9 00");
  EXPECT_EQ(Text(IDC_REPLACE_ASCII), AnsiText("\xC3\xA9"));
}

TEST_F(FieldSyncTest, WritingBoxesFromAHandlerCausesNoSecondPass) {
  const int before = dialog().sync_passes();
  Type(IDC_FIND_ASCII, L"abc");  // each character: one pass that writes three other boxes
  EXPECT_EQ(dialog().sync_passes() - before, 3);
  Type(IDC_FIND_HEX, L"4");
  EXPECT_EQ(dialog().sync_passes() - before, 4);
}

// The longest texts the boxes take: nothing overruns, and cuts fall between characters.
TEST_F(FieldSyncTest, TheLongestInputsAreCutBetweenWholeCharacters) {
  SetText(IDC_FIND_ASCII, std::wstring(1024, L'x'));  // 259 bytes read, then the zero
  EXPECT_EQ(Text(IDC_FIND_HEX).size(), 260u * 3 - 1);

  std::wstring faces;
  for (int i = 0; i < 200; ++i) faces += L"😀";
  SetText(IDC_FIND_UTF8, faces);  // 64 characters of 4 bytes fit 259 bytes, then the zero
  std::wstring expected;
  for (int i = 0; i < 64; ++i) expected += L"F0 9F 98 80 ";
  EXPECT_EQ(Text(IDC_FIND_HEX), expected + L"00");

  SetText(IDC_REPLACE_UTF8, std::wstring(2000, L'中'));  // 86 characters of 3 bytes fit 259
  EXPECT_EQ(Text(IDC_REPLACE_HEX).size(), (86u * 3 + 1) * 3 - 1);
  EXPECT_EQ(Text(IDC_REPLACE_UNICODE).substr(0, 1), L"\xB8E4");

  // The UTF-16LE form is written without spaces and read back 259 characters at a time, so
  // the hex box never holds more than the normal form of 259 digits.
  SetText(IDC_FIND_UNICODE, std::wstring(1024, L'x'));
  EXPECT_LE(Text(IDC_FIND_HEX).size(), 388u);
  EXPECT_EQ(Text(IDC_FIND_HEX).substr(0, 12), L"78 00 78 00 ");
  SetText(IDC_REPLACE_UNICODE, faces);
  EXPECT_LE(Text(IDC_REPLACE_HEX).size(), 388u);
  EXPECT_EQ(Text(IDC_REPLACE_HEX).substr(0, 12), L"3D D8 00 DE ");
  EXPECT_EQ(Text(IDC_REPLACE_UNICODE), faces) << "the box typed into is not rewritten";
}

// The dialog's own box reading, not a copy of it: a read of 259 units that would end inside
// a surrogate pair ends before it, and an ANSI text is cut at 259 bytes between characters.
TEST_F(FieldSyncTest, TheBoxesAreReadUpTo259UnitsAndBytesBetweenWholeCharacters) {
  std::wstring faces = L"xy";
  for (int i = 0; i < 200; ++i) faces += L"😀";  // unit 259 is the first half of a pair
  const auto narrow = [](std::wstring_view wide) {
    return os::FromUtf16(std::u16string(wide.begin(), wide.end()), os::SystemAnsiCodePage());
  };
  const std::string whole_pairs = narrow(std::wstring_view(faces).substr(0, 258));
  ASSERT_NE(whole_pairs, narrow(std::wstring_view(faces).substr(0, 259))) << "the case cannot tell the cut";
  SetText(IDC_FIND_ASCII, faces);
  std::string expected(whole_pairs.substr(0, 259));
  const std::wstring hex = Text(IDC_FIND_HEX);
  Bytes bytes = HexTextToBytes(std::string(hex.begin(), hex.end()));
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.back(), 0);
  bytes.pop_back();
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

  // 文 takes two bytes in GBK and is '?' in 1252: 129 whole characters, or 259 question marks.
  SetText(IDC_REPLACE_ASCII, std::wstring(1024, L'文'));
  const std::wstring replace_hex = Text(IDC_REPLACE_HEX);
  const Bytes replace = HexTextToBytes(std::string(replace_hex.begin(), replace_hex.end()));
  const std::string cut = GetACP() == 936 ? narrow(std::wstring(129, L'文')) : std::string(259, '?');
  EXPECT_EQ(std::string(replace.begin(), replace.end()), cut + std::string(1, '\0'));
}

}  // namespace
}  // namespace vantrel::testing
