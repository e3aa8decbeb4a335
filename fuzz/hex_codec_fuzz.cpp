// The hex codec on any input, taken both as a hex text and as bytes:
//   normalising twice changes nothing; decoding a text and its normal form gives the same
//   bytes; encoding bytes and decoding the text gives the bytes back; the normal form of a
//   box's worth of text stays within what the boxes hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/hex_text.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  if (size > 1024) size = 1024;  // a box takes at most 1024 characters of input
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::string normal = NormalizeHexText(text);
  FUZZ_CHECK(NormalizeHexText(normal) == normal);
  FUZZ_CHECK(HexTextToBytes(normal) == HexTextToBytes(text));
  FUZZ_CHECK(normal.size() <= size + size / 2);
  for (char ch : normal) FUZZ_CHECK(ch == ' ' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'));

  // What the run reads of a box: its first 259 characters hold at most 86 whole bytes.
  const std::string box = normal.substr(0, 259);
  FUZZ_CHECK(HexTextToBytes(box).size() <= 86);

  const Bytes bytes(data, data + size);
  const std::string encoded = BytesToHexText(bytes);
  FUZZ_CHECK(HexTextToBytes(encoded) == bytes);
  FUZZ_CHECK(NormalizeHexText(encoded) == encoded);
  return 0;
}
