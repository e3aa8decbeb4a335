// The patch list parser on any text: a list of pairs that keep the rules (every side at least
// a byte, bits only under the mask, no '?' in a replacement beyond its pattern, lines in
// order) or one problem on one line that names the file and a line; never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "cli/patch_list.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = cli::ParsePatchList(text, "list", os::CodePage{(size & 1) != 0 ? 936u : 1252u});
  if (const auto* problem = std::get_if<std::string>(&parsed)) {
    FUZZ_CHECK(problem->rfind("list:", 0) == 0);
    FUZZ_CHECK(problem->find('\n') == std::string::npos);
    return 0;
  }
  std::size_t last_line = 0;
  for (const cli::PatchPair& pair : std::get<std::vector<cli::PatchPair>>(parsed)) {
    FUZZ_CHECK(pair.line > last_line);
    last_line = pair.line;
    for (const MaskedPattern* side : {&pair.find, &pair.replacement}) {
      FUZZ_CHECK(side->size() > 0 && side->mask.size() == side->size());
      for (std::size_t i = 0; i < side->size(); ++i) FUZZ_CHECK((side->bytes[i] & ~side->mask[i]) == 0);
    }
    FUZZ_CHECK(cli::WildcardBeyondPattern(pair.find, pair.replacement).empty());
  }
  return 0;
}
