// Throughput of the search against its peers, on the same mapped data, in one run:
//   memchr of a byte the data lacks (the bandwidth bound), the finder Vantrel searches with,
//   FindInFile as the dialog calls it (a fresh mapping per search), glibc memmem,
//   std::boyer_moore_horspool_searcher and the quick search (the reference).
// Every benchmark checks the offset it found. Data: 1 GiB (VANTREL_BENCH_SIZE MiB) of random
// bytes and of text, in VANTREL_BENCH_DIR (default /tmp/vantrel-bench), kept between runs.
// The cached64k cases search the first 64 KiB over and over, as a small file read into a
// buffer is searched: there the filter's own cost shows, not the memory's.
#include <benchmark/benchmark.h>
#include <string.h>  // memmem

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_data.h"
#include "files/find_in_file.h"
#include "platform/mapped_file.h"
#include "search/pattern_finder.h"
#include "search/quick_search.h"

namespace vantrel::bench {
namespace {

// One data file, mapped once for the in-memory searchers.
struct Data {
  std::string name;
  std::filesystem::path path;
  os::MappedFile file;
  os::MappedView view;
  std::span<const std::uint8_t> bytes() const { return view.bytes(); }
};

std::int64_t MemmemOffset(std::span<const std::uint8_t> text, const Bytes& pattern) {
  const void* hit = memmem(text.data(), text.size(), pattern.data(), pattern.size());
  return hit == nullptr ? -1 : static_cast<const std::uint8_t*>(hit) - text.data();
}

// Registers one measured search; fails the benchmark when it finds another offset.
void Register(const std::string& name, std::uint64_t bytes, std::int64_t expected,
              std::function<std::int64_t()> search, benchmark::TimeUnit unit = benchmark::kMillisecond) {
  benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
    for (auto _ : state) {
      const std::int64_t found = search();
      benchmark::DoNotOptimize(found);
      if (found != expected) {
        state.SkipWithError(("found " + std::to_string(found) + ", expected " + std::to_string(expected)).c_str());
        break;
      }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  })->Unit(unit)->MinTime(0.5);
}

std::int64_t MemchrOffset(std::span<const std::uint8_t> text, std::uint8_t byte) {
  const void* hit = memchr(text.data(), byte, text.size());
  return hit == nullptr ? -1 : static_cast<const std::uint8_t*>(hit) - text.data();
}

// memchr and the finder over the first 64 KiB, again and again (in the cache).
void RegisterCached(const Data& data, const std::vector<std::pair<std::string, Bytes>>& cases) {
  const auto piece = data.bytes().first(std::min<std::size_t>(data.bytes().size(), 64 << 10));
  const std::string prefix = data.name + "/cached64k/";
  Register(prefix + "memchr_absent_byte", piece.size(), MemchrOffset(piece, 0xFF),
           [piece] { return MemchrOffset(piece, 0xFF); }, benchmark::kMicrosecond);
  for (const auto& [label, pattern] : cases) {
    auto finder = std::make_shared<PatternFinder>(pattern);
    Register(prefix + label + "/vantrel_finder", piece.size(), MemmemOffset(piece, pattern),
             [piece, finder] { return finder->Find(piece); }, benchmark::kMicrosecond);
  }
}

Bytes FindAbsentPattern(const Data& data, DataKind kind, std::size_t n) {
  for (unsigned attempt = 0;; ++attempt) {
    Bytes pattern = AbsentPattern(kind, n, attempt);
    if (MemmemOffset(data.bytes(), pattern) < 0) return pattern;
  }
}

void RegisterCase(const Data& data, const std::string& label, Bytes pattern) {
  const auto text = data.bytes();
  const std::int64_t expected = MemmemOffset(text, pattern);
  const std::string prefix = data.name + "/" + label + "/";
  auto finder = std::make_shared<PatternFinder>(pattern);
  auto table = std::make_shared<ShiftTable>(BuildShiftTable(pattern));
  auto shared_pattern = std::make_shared<Bytes>(pattern);
  const auto path = data.path;
  Register(prefix + "vantrel_finder", text.size(), expected, [=] { return finder->Find(text); });
  Register(prefix + "FindInFile", text.size(), expected, [=] {
    const FindResult r = FindInFile(path, *finder);
    return r == FIND_NOT_FOUND ? -1 : r;
  });
  Register(prefix + "memmem", text.size(), expected, [=] { return MemmemOffset(text, *shared_pattern); });
  Register(prefix + "boyer_moore_horspool", text.size(), expected, [=] {
    const std::boyer_moore_horspool_searcher searcher(shared_pattern->begin(), shared_pattern->end());
    const auto hit = std::search(text.begin(), text.end(), searcher);
    return hit == text.end() ? std::int64_t{-1} : static_cast<std::int64_t>(hit - text.begin());
  });
  Register(prefix + "QuickSearch", text.size(), expected, [=] { return QuickSearch(text, *shared_pattern, *table); });
}

std::unique_ptr<Data> MapData(DataKind kind) {
  const auto path = DataFile(BenchDirectory(), kind, BenchSize());
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  if (!file) return nullptr;
  Result<os::MappedView> view = file->Map(0, static_cast<std::size_t>(file->length()));
  if (!view) return nullptr;
  return std::unique_ptr<Data>(new Data{kind == DataKind::kRandom ? "random" : "text", path, std::move(*file),
                                        std::move(*view)});
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) {
  using namespace vantrel::bench;
  benchmark::Initialize(&argc, argv);
  std::vector<std::unique_ptr<Data>> all;
  for (DataKind kind : {DataKind::kRandom, DataKind::kText}) {
    std::unique_ptr<Data> data = MapData(kind);
    if (!data) {
      std::fprintf(stderr, "search_bench: cannot make or map the data under %s\n", BenchDirectory().c_str());
      return 2;
    }
    const auto text = data->bytes();
    Register(data->name + "/memchr_absent_byte", text.size(), -1, [text] { return MemchrOffset(text, 0xFF); });
    const std::vector<std::pair<std::string, vantrel::Bytes>> cases = {
        {"absent4", FindAbsentPattern(*data, kind, 4)},
        {"absent16", FindAbsentPattern(*data, kind, 16)},
        {"tail16", vantrel::Bytes(kTailPattern, kTailPattern + 16)},
    };
    for (const auto& [label, pattern] : cases) RegisterCase(*data, label, pattern);
    RegisterCached(*data, cases);
    all.push_back(std::move(data));
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
