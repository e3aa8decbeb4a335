// Makes the data of the whole-process comparisons (bench/compare.sh):
//   make_data file PATH random|text MIB           random bytes (never 0xFF) or text
//   make_data occurrences PATH MIB COUNT PATTERN  random bytes with COUNT copies of PATTERN,
//                                                 evenly spaced, and no other
//   make_data tree DIR FILES                      FILES files in nested directories, sized
//                                                 like a source tree (most under 16 KiB)
#include <cstdio>
#include <cmath>
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

// Sizes like a source tree: log-uniform from 64 bytes to 16 KiB for most files, a few up to 1 MiB.
int MakeTree(const fs::path& dir, std::uint64_t files) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<char> content(1 << 20);
  for (char& c : content) c = static_cast<char>("abcdefghij klmnop\nqrstuvwxyz(){};=0123456789"[rng() % 45]);
  for (std::uint64_t i = 0; i < files; ++i) {
    const fs::path sub = dir / ("d" + std::to_string(i / 1000)) / ("s" + std::to_string(i / 50 % 20));
    if (i % 50 == 0) fs::create_directories(sub);
    const double max = unit(rng) < 0.97 ? 16384.0 : 1048576.0;
    const auto size = static_cast<std::size_t>(64.0 * std::pow(max / 64.0, unit(rng)));
    std::ofstream out(sub / ("f" + std::to_string(i) + ".c"), std::ios::binary);
    out.write(content.data() + rng() % 1024, static_cast<std::streamsize>(std::min(size, content.size() - 1024)));
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
  if (args.size() == 3 && args[0] == "tree") return MakeTree(args[1], std::strtoull(args[2].c_str(), nullptr, 10));
  std::fprintf(stderr, "usage: make_data file PATH random|text MIB | occurrences PATH MIB COUNT PATTERN | tree DIR FILES\n");
  return 2;
}
