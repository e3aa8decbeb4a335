// ParseHexPattern on any text, against a model built from the plain hex codec: the bytes are
// what HexTextToBytes reads with every `?` taken as 0, the mask what it reads with every digit
// taken as F and every `?` as 0, and the nibbles are the digits and `?` counted. Also: bytes
// and mask are as long as each other, no byte has a bit outside its mask, and a text without
// `?` reads as exactly the bytes HexTextToBytes gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/hex_text.h"
#include "text/masked_pattern.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const HexPattern read = ParseHexPattern(text);

  std::string as_bytes;
  std::string as_mask;
  std::size_t nibbles = 0;
  for (char ch : text) {
    if (ch == '?') {
      as_bytes.push_back('0');
      as_mask.push_back('0');
    } else if (IsHexDigit(ch)) {
      as_bytes.push_back(ch);
      as_mask.push_back('F');
    } else {
      continue;
    }
    ++nibbles;
  }
  const Bytes mask = HexTextToBytes(as_mask);
  FUZZ_CHECK(read.pattern.bytes == HexTextToBytes(as_bytes));
  FUZZ_CHECK(read.pattern.mask == mask);
  FUZZ_CHECK(read.nibbles == nibbles);
  FUZZ_CHECK(read.has_wildcard == HasWildcard(read.pattern));
  bool wildcard = false;
  for (std::uint8_t m : mask) wildcard = wildcard || m != 0xFF;
  FUZZ_CHECK(read.has_wildcard == wildcard);

  FUZZ_CHECK(read.pattern.bytes.size() == read.pattern.mask.size());
  FUZZ_CHECK(read.pattern.size() == read.nibbles / 2);
  for (std::size_t i = 0; i < read.pattern.size(); ++i) FUZZ_CHECK((read.pattern.bytes[i] & ~read.pattern.mask[i]) == 0);
  if (text.find('?') == std::string::npos) FUZZ_CHECK(read.pattern == ExactPattern(HexTextToBytes(text)));
  return 0;
}
