#include "bench/bench_data.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::bench {
namespace {

constexpr std::size_t kChunk = 1 << 20;

void FillRandom(std::mt19937_64& rng, std::vector<char>& chunk) {
  std::uniform_int_distribution<int> byte(0, 0xFE);
  for (char& c : chunk) c = static_cast<char>(byte(rng));
}

// Text-like data: words from a vocabulary of 4096 made-up words with an English-like letter
// mix, so the data holds only some of the possible letter sequences, as real text does.
void FillText(std::mt19937_64& rng, std::vector<char>& chunk) {
  static constexpr std::string_view kLetters = "eeeeeeettttaaaooooiiinnnsssrrhhllddcumfpgwybvk";
  std::mt19937_64 words_rng(3);
  std::vector<std::string> words(4096);
  for (auto& word : words) {
    const std::size_t length = 2 + words_rng() % 9;
    for (std::size_t k = 0; k < length; ++k) word.push_back(kLetters[words_rng() % kLetters.size()]);
  }
  std::size_t i = 0;
  while (i < chunk.size()) {
    const std::string& word = words[rng() % words.size()];
    for (std::size_t k = 0; k < word.size() && i < chunk.size(); ++k) chunk[i++] = word[k];
    if (i < chunk.size()) chunk[i++] = (rng() % 12 == 0) ? '\n' : ' ';
  }
}

}  // namespace

std::filesystem::path BenchDirectory() {
  const char* dir = std::getenv("VANTREL_BENCH_DIR");
  return dir != nullptr && *dir != 0 ? std::filesystem::path(dir) : std::filesystem::path("/tmp/vantrel-bench");
}

std::uint64_t BenchSize() {
  const char* mib = std::getenv("VANTREL_BENCH_SIZE");
  return (mib != nullptr ? std::strtoull(mib, nullptr, 10) : 1024) << 20;
}

std::filesystem::path DataFile(const std::filesystem::path& dir, DataKind kind, std::uint64_t size) {
  std::filesystem::create_directories(dir);
  const auto path = dir / ((kind == DataKind::kRandom ? "random-" : "text-") + std::to_string(size >> 20) + "m.bin");
  std::error_code error;
  if (std::filesystem::file_size(path, error) == size) return path;
  std::mt19937_64 rng(kind == DataKind::kRandom ? 1 : 2);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<char> chunk(kChunk);
  for (std::uint64_t written = 0; written < size; written += kChunk) {
    kind == DataKind::kRandom ? FillRandom(rng, chunk) : FillText(rng, chunk);
    const std::uint64_t take = std::min<std::uint64_t>(kChunk, size - written);
    if (written + take == size) std::memcpy(chunk.data() + take - 40, kTailPattern, sizeof kTailPattern - 1);
    out.write(chunk.data(), static_cast<std::streamsize>(take));
  }
  return path;
}

Bytes AbsentPattern(DataKind kind, std::size_t n, unsigned attempt) {
  std::mt19937 rng(1000 + attempt);
  Bytes pattern(n);
  if (kind == DataKind::kText) {
    // Common letters, in an order the vocabulary seldom makes: absence is checked by the caller.
    static constexpr std::string_view kLetters = "etaoinsrhld";
    for (auto& b : pattern) b = static_cast<std::uint8_t>(kLetters[rng() % kLetters.size()]);
  } else {
    for (auto& b : pattern) b = static_cast<std::uint8_t>(rng() % 0xFF);
  }
  return pattern;
}

}  // namespace vantrel::bench
