// The set search of a patch list timed as a whole process, for bench/pattern_set_compare.sh:
// it maps the file once, whole (as `rg --mmap` does), finds every occurrence of any pattern
// in one forward pass (going on behind each hit, as --dry-run does) and prints the count.
// The command line's --patch is not built on it yet: this times the engine, not vantrel.
//
//   pattern_set_bench lines LIST FILE       each line of LIST a plain text pattern (rg -F -f LIST)
//   pattern_set_bench hex PATTERN FILE      one hex pattern with `?` nibbles, through PatternSetFinder
//   pattern_set_bench plain PATTERN FILE    one hex pattern without `?`, through PatternFinder as today
//   pattern_set_bench memory FILE ROUNDS KIND:ARG...   the engine alone: the searches above (KIND
//                                                    lines, hex or plain) over the file mapped and
//                                                    read once beforehand, in turn ROUNDS times;
//                                                    prints KIND, ARG, the median GB/s of each and
//                                                    the best (on a shared machine, the least disturbed)
//   pattern_set_bench absent-words FILE COUNT SEED    COUNT texts of 9-17 letters and spaces, mixed
//                                                    like the text data, that FILE does not hold
//   pattern_set_bench absent-pieces FILE COUNT SEED   COUNT pieces of FILE of 9-17 bytes, one letter
//                                                    changed in the second half, that FILE does not hold
// Exit status 0 when something was found, 1 when not, 2 on trouble, as vantrel's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mapped_file.h"
#include "search/pattern_finder.h"
#include "search/pattern_set_finder.h"

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

// A search for every occurrence in a text, each going on behind the last hit: the count.
using Search = std::function<std::uint64_t(std::span<const std::uint8_t>)>;

template <class Find>
std::uint64_t CountAll(std::span<const std::uint8_t> text, const Find& find) {
  std::uint64_t count = 0;
  std::size_t from = 0;
  while (from < text.size()) {
    const auto [offset, length] = find(text.subspan(from));
    if (offset < 0) break;
    ++count;
    from += static_cast<std::size_t>(offset) + length;
  }
  return count;
}

Search SetSearch(std::vector<MaskedPattern> patterns) {
  auto finder = std::make_shared<const PatternSetFinder>(std::move(patterns));
  return [finder](std::span<const std::uint8_t> text) {
    return CountAll(text, [&](std::span<const std::uint8_t> rest) {
      const PatternSetFinder::Hit hit = finder->Find(rest);
      return std::pair{hit.offset, hit.found() ? finder->patterns()[hit.index].size() : 0};
    });
  };
}

Search PlainSearch(const Bytes& pattern) {
  auto finder = std::make_shared<const PatternFinder>(pattern);
  return [finder](std::span<const std::uint8_t> text) {
    return CountAll(text, [&](std::span<const std::uint8_t> rest) { return std::pair{finder->Find(rest), finder->size()}; });
  };
}

// kind: lines (arg a file of texts), hex (a hex pattern, through the set finder) or plain (a
// hex pattern without `?`, through PatternFinder).
Search Prepare(const std::string& kind, const std::string& arg) {
  if (kind == "lines") return SetSearch(TextPatterns(ReadLines(arg)));
  if (kind == "hex") return SetSearch({ParseHexPattern(arg).pattern});
  return PlainSearch(HexTextToBytes(arg));
}

// The engine alone, without mapping and page faults: every case in turn, `rounds` times.
int MeasureInMemory(std::span<const std::uint8_t> text, int rounds, const std::vector<std::string>& cases) {
  std::uint64_t sink = 0;
  for (std::size_t i = 0; i < text.size(); i += 4096) sink += text[i];  // fault every page in first
  std::vector<Search> searches;
  for (const std::string& c : cases) searches.push_back(Prepare(c.substr(0, c.find(':')), c.substr(c.find(':') + 1)));
  std::vector<std::vector<double>> seconds(cases.size());
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t k = 0; k < cases.size(); ++k) {
      const auto start = std::chrono::steady_clock::now();
      sink += searches[k](text);
      seconds[k].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  }
  for (std::size_t k = 0; k < cases.size(); ++k) {
    std::sort(seconds[k].begin(), seconds[k].end());
    const double gb = static_cast<double>(text.size()) / 1e9;
    std::printf("%s\t%s\t%.2f\t%.2f\n", cases[k].substr(0, cases[k].find(':')).c_str(),
                cases[k].substr(cases[k].find(':') + 1).c_str(), gb / seconds[k][seconds[k].size() / 2], gb / seconds[k][0]);
  }
  return sink == 1 ? 1 : 0;  // the sink keeps the searches from being left out
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
  const bool memory = args.size() >= 4 && args[0] == "memory";
  if (!search && !make && !memory) {
    std::fprintf(stderr,
                 "usage: pattern_set_bench lines LIST FILE | hex PATTERN FILE | plain PATTERN FILE |\n"
                 "       memory FILE ROUNDS KIND:ARG... |\n"
                 "       absent-words FILE COUNT SEED | absent-pieces FILE COUNT SEED\n");
    return 2;
  }
  const std::string& path = search ? args[2] : args[1];
  const std::unique_ptr<MappedText> mapped = MapWhole(path);
  if (!mapped) {
    std::fprintf(stderr, "pattern_set_bench: cannot map %s\n", path.c_str());
    return 2;
  }
  const std::span<const std::uint8_t> text = mapped->view.bytes();
  if (make) return MakeAbsentList(args[0], text, std::stoul(args[2]), static_cast<unsigned>(std::stoul(args[3])));
  if (memory) return MeasureInMemory(text, std::stoi(args[2]), std::vector<std::string>(args.begin() + 3, args.end()));
  const std::uint64_t count = Prepare(args[0], args[1])(text);
  std::printf("%llu\n", static_cast<unsigned long long>(count));
  return count > 0 ? 0 : 1;
}
