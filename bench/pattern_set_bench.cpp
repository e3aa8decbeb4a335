// The set search of a patch list timed as a whole process, for bench/pattern_set_compare.sh:
// it maps the file once, whole (as `rg --mmap` does), finds every occurrence of any pattern
// in one forward pass (going on behind each hit, as --dry-run does) and prints the count.
// The command line's --patch is not built on it yet: this times the engine, not vantrel.
//
//   pattern_set_bench lines LIST FILE       each line of LIST a plain text pattern (rg -F -f LIST)
//   pattern_set_bench hex PATTERN FILE      one hex pattern with `?` nibbles, through PatternSetFinder
//   pattern_set_bench plain PATTERN FILE    one hex pattern without `?`, through PatternFinder as today
//   pattern_set_bench absent-words FILE COUNT SEED    COUNT texts of 9-17 letters and spaces, mixed
//                                                    like the text data, that FILE does not hold
//   pattern_set_bench absent-pieces FILE COUNT SEED   COUNT pieces of FILE of 9-17 bytes, one letter
//                                                    changed in the second half, that FILE does not hold
// Exit status 0 when something was found, 1 when not, 2 on trouble, as vantrel's.
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/os/mapped_file.h"
#include "engine/pattern_finder.h"
#include "engine/pattern_set_finder.h"

namespace {

using namespace vantrel;

struct MappedText {
  os::MappedFile file;
  os::MappedView view;
};

std::unique_ptr<MappedText> MapWhole(const std::string& path) {
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  if (!file) return nullptr;
  Result<os::MappedView> view = file->Map(0, static_cast<std::size_t>(file->length()));
  if (!view) return nullptr;
  file->AdviseSequential(*view);
  return std::unique_ptr<MappedText>(new MappedText{std::move(*file), std::move(*view)});
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<MaskedPattern> TextPatterns(const std::vector<std::string>& lines) {
  std::vector<MaskedPattern> patterns;
  for (const std::string& line : lines) {
    patterns.push_back(ExactPattern(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size())));
  }
  return patterns;
}

// Every occurrence, each search going on behind the last hit; `find` gives the offset in
// the text it is given and the length of what it found.
int CountAll(std::span<const std::uint8_t> text,
             const std::function<std::pair<std::int64_t, std::size_t>(std::span<const std::uint8_t>)>& find) {
  std::uint64_t count = 0;
  std::size_t from = 0;
  while (from < text.size()) {
    const auto [offset, length] = find(text.subspan(from));
    if (offset < 0) break;
    ++count;
    from += static_cast<std::size_t>(offset) + length;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(count));
  return count > 0 ? 0 : 1;
}

int SearchSet(const std::vector<MaskedPattern>& patterns, std::span<const std::uint8_t> text) {
  const PatternSetFinder finder(patterns);
  return CountAll(text, [&](std::span<const std::uint8_t> rest) {
    const PatternSetFinder::Hit hit = finder.Find(rest);
    return std::pair{hit.offset, hit.found() ? patterns[hit.index].size() : 0};
  });
}

int SearchPlain(const Bytes& pattern, std::span<const std::uint8_t> text) {
  const PatternFinder finder(pattern);
  return CountAll(text, [&](std::span<const std::uint8_t> rest) { return std::pair{finder.Find(rest), pattern.size()}; });
}

// Keeps the candidates the text does not hold: one pass, dropping each one found.
std::vector<std::string> Absent(std::vector<std::string> candidates, std::span<const std::uint8_t> text) {
  std::size_t from = 0;
  for (;;) {
    const PatternSetFinder::Hit hit = PatternSetFinder(TextPatterns(candidates)).Find(text.subspan(from));
    if (!hit.found()) return candidates;
    from += static_cast<std::size_t>(hit.offset);  // nothing else starts before it
    candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(hit.index));
  }
}

int MakeAbsentList(const std::string& kind, std::span<const std::uint8_t> text, std::size_t count, unsigned seed) {
  static constexpr std::string_view kLetters = "eeeeeeettttaaaooooiiinnnsssrrhhllddcumfpgwybvk    ";
  std::mt19937_64 rng(seed);
  std::vector<std::string> candidates;
  while (candidates.size() < count * 2) {
    const std::size_t n = 9 + rng() % 9;
    std::string candidate;
    if (kind == "absent-words") {
      for (std::size_t k = 0; k < n; ++k) candidate.push_back(kLetters[rng() % kLetters.size()]);
    } else {
      const std::size_t at = rng() % (text.size() - n);
      candidate.assign(reinterpret_cast<const char*>(text.data()) + at, n);
      candidate[n / 2 + rng() % (n - n / 2)] = kLetters[rng() % 46];
    }
    if (candidate.find('\n') == std::string::npos && candidate.front() != ' ' && candidate.back() != ' ') {
      candidates.push_back(candidate);
    }
  }
  std::vector<std::string> absent = Absent(candidates, text);
  if (absent.size() < count) return 2;
  for (std::size_t i = 0; i < count; ++i) std::printf("%s\n", absent[i].c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool search = args.size() == 3 && (args[0] == "lines" || args[0] == "hex" || args[0] == "plain");
  const bool make = args.size() == 4 && (args[0] == "absent-words" || args[0] == "absent-pieces");
  if (!search && !make) {
    std::fprintf(stderr,
                 "usage: pattern_set_bench lines LIST FILE | hex PATTERN FILE | plain PATTERN FILE |\n"
                 "       absent-words FILE COUNT SEED | absent-pieces FILE COUNT SEED\n");
    return 2;
  }
  const std::unique_ptr<MappedText> mapped = MapWhole(make ? args[1] : args[2]);
  if (!mapped) {
    std::fprintf(stderr, "pattern_set_bench: cannot map %s\n", (make ? args[1] : args[2]).c_str());
    return 2;
  }
  const std::span<const std::uint8_t> text = mapped->view.bytes();
  if (make) return MakeAbsentList(args[0], text, std::stoul(args[2]), static_cast<unsigned>(std::stoul(args[3])));
  if (args[0] == "lines") return SearchSet(TextPatterns(ReadLines(args[1])), text);
  if (args[0] == "hex") return SearchSet({ParseHexPattern(args[1]).pattern}, text);
  return SearchPlain(HexTextToBytes(args[1]), text);
}
