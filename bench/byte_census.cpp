// Measures how often each byte value occurs in the files under some directory trees, and
// prints the rank table that engine/byte_rank.cpp holds. Each tree weighs the same (one of
// mostly text, one of mostly programs and libraries, as on a desktop), each file counts
// with at most its first 4 MiB (so one huge library does not outweigh a thousand small
// files), and links are not followed.
//   byte_census /usr/share /usr/lib
// Prints per byte value: the share in each tree, and the rank: 255 + 10 * log2(mean share),
// clamped to 1..255, so that ten rank points are a factor of two in frequency.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Counts = std::array<std::uint64_t, 256>;

constexpr std::size_t kPerFile = std::size_t{4} << 20;

void CountFile(const fs::path& path, Counts& counts, std::vector<char>& buffer) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  const auto got = static_cast<std::size_t>(in.gcount());
  for (std::size_t i = 0; i < got; ++i) ++counts[static_cast<unsigned char>(buffer[i])];
}

Counts CountTree(const fs::path& root) {
  Counts counts{};
  std::vector<char> buffer(kPerFile);
  std::error_code error;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && !it->is_symlink(type_error)) CountFile(it->path(), counts, buffer);
  }
  return counts;
}

std::vector<double> Shares(const Counts& counts) {
  std::uint64_t total = 0;
  for (std::uint64_t c : counts) total += c;
  std::vector<double> shares(256);
  for (std::size_t b = 0; b < 256; ++b) shares[b] = total == 0 ? 0 : static_cast<double>(counts[b]) / static_cast<double>(total);
  return shares;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: byte_census DIR...\n");
    return 2;
  }
  std::vector<std::vector<double>> trees;
  for (int i = 1; i < argc; ++i) trees.push_back(Shares(CountTree(argv[i])));
  std::printf("byte");
  for (int i = 1; i < argc; ++i) std::printf("  %s", argv[i]);
  std::printf("  rank\n");
  std::array<int, 256> ranks{};
  for (std::size_t b = 0; b < 256; ++b) {
    double mean = 0;
    for (const auto& shares : trees) mean += shares[b] / static_cast<double>(trees.size());
    ranks[b] = std::clamp(static_cast<int>(std::lround(255 + 10 * std::log2(std::max(mean, 1e-30)))), 1, 255);
    std::printf("0x%02zX", b);
    for (const auto& shares : trees) std::printf("  %.3e", shares[b]);
    std::printf("  %d\n", ranks[b]);
  }
  std::printf("\n// rank table, 16 per line\n");
  for (std::size_t b = 0; b < 256; ++b) std::printf("%3d,%s", ranks[b], b % 16 == 15 ? "\n" : " ");
  return 0;
}
