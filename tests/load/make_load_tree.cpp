// Makes the tree of the walk load test: SMALL files of up to 16 KiB and LARGE files of 8 MiB
// in nested directories, bytes that never hold the pattern's first byte, and the pattern
// planted (one to three times) in one file of every hundred. Prints the planted files.
//   make_load_tree DIR SMALL LARGE PATTERN
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_load_tree DIR SMALL LARGE PATTERN\n");
    return 2;
  }
  const fs::path dir = argv[1];
  const long small = std::atol(argv[2]);
  const long large = std::atol(argv[3]);
  const std::string pattern = argv[4];
  std::mt19937_64 rng(2026);
  std::vector<char> content(8 << 20);
  for (char& c : content) {
    c = static_cast<char>(rng());
    if (c == pattern[0]) c = static_cast<char>(c ^ 1);
  }
  for (long i = 0; i < small + large; ++i) {
    const fs::path sub = dir / ("d" + std::to_string(i / 1000)) / ("s" + std::to_string(i / 100 % 10));
    if (i % 100 == 0) fs::create_directories(sub);
    const std::size_t size = i < small ? 1 + rng() % 16384 : content.size();
    const std::size_t from = size < content.size() ? rng() % (content.size() - size) : 0;
    std::vector<char> bytes(content.begin() + static_cast<long>(from), content.begin() + static_cast<long>(from + size));
    const fs::path file = sub / ("f" + std::to_string(i));
    if (i % 100 == 37 && size >= pattern.size()) {
      const int copies = 1 + static_cast<int>(rng() % 3);
      for (int k = 0; k < copies; ++k) {
        const std::size_t at = rng() % (size - pattern.size() + 1);
        std::memcpy(bytes.data() + at, pattern.data(), pattern.size());
      }
      std::printf("%s\n", file.c_str());
    }
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}
