// The JSON Lines writer of --json: each kind of member as literal output, the escapes as
// ripgrep's JSON writes them (checked against `rg --json` on files with such names), and,
// natively, Python's strict JSON parser reading back every byte of random strings.
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

struct Written {
  const char* what;
  std::string text;      // what the writer gave
  std::string expected;  // the literal output
};

TEST(JsonWriterTest, EachKindOfMemberAndEachEscapeAsLiteralOutput) {
  const JsonWriter stats = JsonWriter().Integer("files", 3).Integer("occurrences", 7);
  const std::vector<Written> cases = {
      {"members in the order written",
       JsonWriter().String("type", "match").Integer("offset", 16).Boolean("written", true).Line(),
       "{\"type\":\"match\",\"offset\":16,\"written\":true}\n"},
      {"an empty object", JsonWriter().Line(), "{}\n"},
      {"an empty nested object", JsonWriter().Object("stats", JsonWriter()).Text(), "{\"stats\":{}}"},
      {"integers over the whole 64-bit range",
       JsonWriter()
           .Integer("zero", 0)
           .Integer("negative", -1)
           .Integer("max", std::numeric_limits<std::int64_t>::max())
           .Integer("min", std::numeric_limits<std::int64_t>::min())
           .Text(),
       "{\"zero\":0,\"negative\":-1,\"max\":9223372036854775807,\"min\":-9223372036854775808}"},
      {"booleans", JsonWriter().Boolean("a", true).Boolean("b", false).Text(), "{\"a\":true,\"b\":false}"},
      {"objects nest",
       JsonWriter().String("type", "summary").Object("data", JsonWriter().Object("stats", stats)).Line(),
       "{\"type\":\"summary\",\"data\":{\"stats\":{\"files\":3,\"occurrences\":7}}}\n"},
      {"quotes and backslashes", JsonString("a\"b\\c/d"), "\"a\\\"b\\\\c/d\""},
      {"controls with a short escape", JsonString("\b\f\n\r\t"), "\"\\b\\f\\n\\r\\t\""},
      {"other controls as rg writes them", JsonString(std::string("\0\x01\x1f", 3)), "\"\\u0000\\u0001\\u001f\""},
      // DEL is no control character to JSON: it stays a raw byte, as in rg's output.
      {"DEL stays", JsonString("\x7f"), "\"\x7f\""},
      {"valid UTF-8 stays", JsonString("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), "\"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\""},
      {"a stray byte", JsonString("a\xFF" "b"), "\"a\xEF\xBF\xBD" "b\""},
      {"a cut sequence", JsonString("\xE2\x82"), "\"\xEF\xBF\xBD\""},
      {"a surrogate's encoding", JsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"keys are escaped too", JsonWriter().Integer("a\"b", 1).Text(), "{\"a\\\"b\":1}"},
      {"valid UTF-8 data is text", JsonWriter().Data("path", "tab\tq\"b\\\xC3\xA9\x01").Text(),
       "{\"path\":{\"text\":\"tab\\tq\\\"b\\\\\xC3\xA9\\u0001\"}}"},
      {"empty data", JsonWriter().Data("path", "").Text(), "{\"path\":{\"text\":\"\"}}"},
      // rg --json on a file named bad\xFFname writes {"bytes":"YmFk/25hbWU="}.
      {"other data is base64", JsonWriter().Data("path", "bad\xFFname").Text(), "{\"path\":{\"bytes\":\"YmFk/25hbWU=\"}}"},
      {"base64 of nothing", Base64(""), ""},
      {"base64, two pads", Base64("\xFF"), "/w=="},
      {"base64, one pad", Base64("\xFF\xFE"), "//4="},
      {"base64, a whole group", Base64("\xFF\xFE\xFD"), "//79"},
      {"base64, the high digits and a zero", Base64(std::string_view("\xFB\xEF\xBE\x00", 4)), "++++AA=="},
      {"base64 of text", Base64("foobar"), "Zm9vYmFy"},
  };
  for (const Written& written : cases) EXPECT_EQ(written.text, written.expected) << written.what;
}

TEST(JsonDataTest, ALineHoldsNoNewlineButItsLast) {
  const std::string line = JsonWriter().Data("a", "x\ny").String("b", "\n").Line();
  EXPECT_EQ(line.find('\n'), line.size() - 1);
}

// Random byte strings of every kind (controls, quotes, backslashes, valid and cut UTF-8),
// written as data and as strings; Python reads each line with its strict parser and gives
// back the bytes: data exactly, strings as the bytes' lossy UTF-8 reading.
#ifndef _WIN32
std::string RandomBytes(std::mt19937& random) {
  static const std::vector<std::string> kPieces = {"a", "\"", "\\", "/", "\n", "\t", "\b", "\f", "\r", std::string(1, '\0'),
                                                   "\x01", "\x1F", "\x7F", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                                   "\xFF", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xF4\x90\x80\x80", " "};
  std::string bytes;
  const int count = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < count; ++i) bytes += kPieces[std::uniform_int_distribution<std::size_t>(0, kPieces.size() - 1)(random)];
  return bytes;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

TEST(JsonPythonTest, PythonReadsBackEveryLine) {
  if (std::system("python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
  testing::TempDir dir;
  std::mt19937 random(14);
  std::string lines;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string bytes = RandomBytes(random);
    lines += JsonWriter().Data("data", bytes).String("string", bytes).Integer("n", i).Line();
    expected += Hex(bytes) + " " + Hex(bytes) + " " + std::to_string(i) + "\n";
  }
  testing::WriteFile(dir / "lines.jsonl", lines);
  // Python's lossy decoding counts ill-formed parts as ours does, so the strings compare too.
  const std::string script =
      "import base64, json, sys\n"
      "def valid(b):\n"
      "    try:\n"
      "        b.decode('utf-8')\n"
      "        return True\n"
      "    except UnicodeDecodeError:\n"
      "        return False\n"
      "out = open(sys.argv[2], 'w')\n"
      "for raw in open(sys.argv[1], 'rb').read().split(b'\\n')[:-1]:\n"
      "    o = json.loads(raw.decode('utf-8', 'strict'))\n"
      "    d = o['data']\n"
      "    b = base64.b64decode(d['bytes'], validate=True) if 'bytes' in d else d['text'].encode('utf-8')\n"
      "    assert ('bytes' in d) != valid(b), raw\n"
      "    s = o['string']\n"
      "    same = s == b.decode('utf-8', 'replace')\n"
      "    out.write(b.hex() + ' ' + (b.hex() if same else 'differs:' + s.encode().hex()) + ' ' + str(o['n']) + '\\n')\n";
  testing::WriteFile(dir / "check.py", script);
  const std::string command = "python3 '" + (dir / "check.py").string() + "' '" + (dir / "lines.jsonl").string() + "' '" +
                              (dir / "read.txt").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << "python3 could not read the lines";
  std::ifstream read(dir / "read.txt", std::ios::binary);
  std::stringstream got;
  got << read.rdbuf();
  EXPECT_EQ(got.str(), expected);
}
#endif

}  // namespace
}  // namespace vantrel::cli
