// The glob set on any input: the first byte says how many of the NUL-separated fields after
// it are globs (1 to 4); the other fields are paths to judge.
//   building never crashes, and a malformed glob is one line of UTF-8 naming it; judging
//   any path ends, twice with the same answer; a file glob made of the path itself, every
//   character escaped, takes that path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/utf8.h"
#include "fuzz/check.h"
#include "runs/file_choice.h"

namespace {

std::vector<std::string> Fields(std::string_view data) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t end = data.find('\0');
    fields.emplace_back(data.substr(0, end));
    if (end == std::string_view::npos) return fields;
    data.remove_prefix(end + 1);
  }
}

// A glob loses trailing Unicode blanks and a trailing '/', and reads ill-formed bytes as
// U+FFFD: paths that end so, or hold such bytes, cannot be written as a literal glob.
bool HasLiteralGlob(std::string_view path) {
  if (path.empty() || !vantrel::IsValidUtf8(path)) return false;
  const char32_t last = vantrel::DecodeUtf8Lossy(path).back();
  const bool blank = (last >= 0x09 && last <= 0x0D) || last == 0x20 || last == 0x85 || last == 0xA0 || last == 0x1680 ||
                     (last >= 0x2000 && last <= 0x200A) || last == 0x2028 || last == 0x2029 || last == 0x202F ||
                     last == 0x205F || last == 0x3000;
  return !blank && last != U'/';
}

// "/" and every character of the path after a backslash: a literal glob from the root.
std::string EscapedGlob(std::string_view path) {
  std::string glob = "/";
  for (char ch : path) {
    if (static_cast<unsigned char>(ch) < 0x80 || (static_cast<unsigned char>(ch) & 0xC0) == 0xC0) glob += '\\';
    glob += ch;
  }
  return glob;
}

void CheckEscapedGlobTakesItsPath(const std::string& path) {
  if (!HasLiteralGlob(path)) return;
  const std::vector<std::string> globs = {EscapedGlob(path)};
  auto built = vantrel::GlobSet::Build(globs);
  const auto* set = std::get_if<vantrel::GlobSet>(&built);
  FUZZ_CHECK(set != nullptr);
  FUZZ_CHECK(set->TakesFile(path));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  if (size == 0) return 0;
  const std::size_t glob_count = data[0] % 4 + 1;
  const std::vector<std::string> fields = Fields({reinterpret_cast<const char*>(data) + 1, size - 1});
  const std::vector<std::string> globs(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(std::min(glob_count, fields.size())));
  const std::vector<std::string> paths(fields.begin() + static_cast<std::ptrdiff_t>(globs.size()), fields.end());

  auto built = GlobSet::Build(globs);
  if (const auto* error = std::get_if<GlobError>(&built)) {
    FUZZ_CHECK(error->message.starts_with("invalid glob '"));
    FUZZ_CHECK(error->message.find('\n') == std::string::npos);
    FUZZ_CHECK(IsValidUtf8(error->message));
    return 0;
  }
  FileChoice choice;
  choice.globs = std::get<GlobSet>(std::move(built));
  choice.max_depth = data[0] / 4 % 8;
  for (const std::string& path : paths) {
    const bool takes = choice.TakesFile(path);
    const bool enters = choice.EntersDirectory(path);
    FUZZ_CHECK(choice.TakesFile(path) == takes);
    FUZZ_CHECK(choice.EntersDirectory(path) == enters);
    CheckEscapedGlobTakesItsPath(path);
  }
  return 0;
}
