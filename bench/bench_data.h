// The data the benchmarks search: files of a given size generated once under a directory,
// kept between runs (they take seconds to write), and the patterns that go with them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "text/hex_text.h"

namespace vantrel::bench {

enum class DataKind {
  kRandom,  // uniform bytes 0x00-0xFE: every byte but 0xFF, so memchr(0xFF) reads it all
  kText,    // words, spaces and line breaks in ASCII
};

// The file of this kind and size under dir, made if it is not there yet. Its last 64 bytes
// hold kTailPattern once.
std::filesystem::path DataFile(const std::filesystem::path& dir, DataKind kind, std::uint64_t size);

// A pattern planted once, in the last 64 bytes of every data file.
inline constexpr char kTailPattern[] = "Vantrel-tail-0x5";  // 16 bytes

// A pattern of n bytes that the data of this kind does not hold (the caller checks).
Bytes AbsentPattern(DataKind kind, std::size_t n, unsigned attempt);

// Where the benchmarks keep their data: $VANTREL_BENCH_DIR, else /tmp/vantrel-bench.
std::filesystem::path BenchDirectory();

// $VANTREL_BENCH_SIZE in MiB, else 1024.
std::uint64_t BenchSize();

}  // namespace vantrel::bench
