// Makes the data of the whole-process comparisons (bench/compare.sh):
//   make_data file PATH random|text MIB           random bytes (never 0xFF) or text
//   make_data occurrences PATH MIB COUNT PATTERN  random bytes with COUNT copies of PATTERN,
//                                                 evenly spaced, and no other
//   make_data tree DIR FILES [PATTERN]            FILES files of 1-12 KiB in nested directories,
//                                                 PATTERN planted in one of every hundred
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_data.h"

namespace {

namespace fs = std::filesystem;
using vantrel::bench::DataKind;

int MakeFile(const fs::path& path, const std::string& kind, std::uint64_t mib) {
  const DataKind data = kind == "text" ? DataKind::kText : DataKind::kRandom;
  const fs::path made = vantrel::bench::DataFile(path.parent_path(), data, mib << 20);
  fs::rename(made, path);
  return 0;
}

// Random bytes over an alphabet without the pattern's first byte, with the pattern planted.
int MakeOccurrences(const fs::path& path, std::uint64_t mib, std::uint64_t count, const std::string& pattern) {
  const std::uint64_t size = mib << 20;
  const std::uint64_t spacing = size / count;
  std::mt19937_64 rng(7);
  std::vector<char> block(static_cast<std::size_t>(spacing));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto avoid = static_cast<unsigned char>(pattern[0]);
  for (std::uint64_t k = 0; k < count; ++k) {
    for (char& c : block) {
      auto b = static_cast<unsigned char>(rng());
      c = static_cast<char>(b == avoid ? b ^ 1 : b);
    }
    std::memcpy(block.data() + spacing / 2, pattern.data(), pattern.size());
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  return out.good() ? 0 : 1;
}

// Files of 1 to 12 KiB of text in nested directories, fifty to a directory; with a pattern,
// planted once or twice in one file of every hundred.
int MakeTree(const fs::path& dir, std::uint64_t files, const std::string& pattern) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<char> content(1 << 20);
  for (char& c : content) c = static_cast<char>("abcdefghij klmnop\nqrstuvwxyz(){};=0123456789"[rng() % 45]);
  for (std::uint64_t i = 0; i < files; ++i) {
    const fs::path sub = dir / ("d" + std::to_string(i / 1000)) / ("s" + std::to_string(i / 50 % 20));
    if (i % 50 == 0) fs::create_directories(sub);
    const auto size = static_cast<std::size_t>(1024 + unit(rng) * 11 * 1024);
    std::string text(content.data() + rng() % 1024, size);
    if (!pattern.empty() && i % 100 == 0) {
      for (std::uint64_t k = 0; k <= i / 100 % 2; ++k) text.replace(rng() % (size - pattern.size()), pattern.size(), pattern);
    }
    std::ofstream out(sub / ("f" + std::to_string(i) + ".c"), std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "file") return MakeFile(args[1], args[2], std::strtoull(args[3].c_str(), nullptr, 10));
  if (args.size() == 5 && args[0] == "occurrences") {
    return MakeOccurrences(args[1], std::strtoull(args[2].c_str(), nullptr, 10), std::strtoull(args[3].c_str(), nullptr, 10),
                           args[4]);
  }
  if ((args.size() == 3 || args.size() == 4) && args[0] == "tree") {
    return MakeTree(args[1], std::strtoull(args[2].c_str(), nullptr, 10), args.size() == 4 ? args[3] : std::string());
  }
  std::fprintf(stderr,
               "usage: make_data file PATH random|text MIB | occurrences PATH MIB COUNT PATTERN | tree DIR FILES [PATTERN]\n");
  return 2;
}
