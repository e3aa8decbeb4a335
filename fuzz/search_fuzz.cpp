// Every search path against a naive search, on any text and pattern (0 to 86 bytes):
// the quick search, the prepared finder, every kernel with chosen and with arbitrary
// anchors compared two to four at a time, and the windowed file search with views of one
// granule.
//
// Input: [flags, n, at_hi, at_lo, text...]. With flags bit 0 the pattern is planted: the
// n bytes of the text at `at`, so occurrences (and ones across view boundaries) are common.
// Otherwise the pattern is the last n bytes of the input and the text the rest.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/file_search.h"
#include "engine/find_in_file.h"
#include "engine/os/mapped_file.h"
#include "engine/pattern_finder.h"
#include "engine/quick_search.h"
#include "engine/search_kernels.h"
#include "fuzz/check.h"

namespace {

using vantrel::Bytes;

std::int64_t Naive(const Bytes& text, const Bytes& pattern) {
  if (text.empty() || pattern.size() > text.size()) return -1;
  for (std::size_t s = 0; s + pattern.size() <= text.size(); ++s) {
    bool same = true;
    for (std::size_t i = 0; i < pattern.size() && same; ++i) same = text[s + i] == pattern[i];
    if (same) return static_cast<std::int64_t>(s);
  }
  return -1;
}

void CheckKernels(const Bytes& text, const Bytes& pattern, std::int64_t expected) {
  using namespace vantrel;
  if (pattern.size() < 2) return;
  const std::size_t n = pattern.size();
  // The chosen anchors as the finder plans them, and arbitrary ones two to four at a time,
  // adding anchors after few failures.
  std::vector<Anchors> all = {ChooseAnchors(pattern), kernels::PlanFor(ChooseAnchors(pattern), text.size())};
  for (int count : {2, 3, 4}) {
    Anchors other{n - 1, 0, n / 2 == n - 1 ? 0 : n / 2, n / 3};
    other.count = count;
    other.failure_spacing_log2 = 6;
    all.push_back(other);
  }
  for (const Anchors& anchors : all) {
    FUZZ_CHECK(kernels::FindWithMemchr(text.data(), text.size(), pattern.data(), n, anchors) == expected);
#if defined(__SSE2__)
    FUZZ_CHECK(kernels::FindSse2(text.data(), text.size(), pattern.data(), n, anchors) == expected);
#endif
#if defined(__x86_64__)
    if (kernels::HaveAvx2()) FUZZ_CHECK(kernels::FindAvx2(text.data(), text.size(), pattern.data(), n, anchors) == expected);
#endif
  }
}

// The windowed search over the text written to a file, with views of one granule.
void CheckWindowedSearch(const Bytes& text, const Bytes& pattern, std::int64_t expected) {
  using namespace vantrel;
  static const std::string path = "/dev/shm/vantrel-search-fuzz-" + std::to_string(getpid());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  const std::int64_t found = FindInFile(path, pattern, SearchOptions{os::MapGranularity()});
  FUZZ_CHECK(found == (expected >= 0 ? expected : FIND_NOT_FOUND));
  // Every later occurrence too, as the command line's passes find them.
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  FUZZ_CHECK(file.ok());
  const PatternFinder finder(pattern);
  FileSearch search(*file, finder, SearchOptions{os::MapGranularity()});
  std::int64_t from = 0;
  for (int k = 0; k < 8 && !pattern.empty(); ++k) {
    Result<std::int64_t> next = search.FindFrom(from);
    FUZZ_CHECK(next.ok());
    const Bytes rest(text.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(from, text.size())), text.end());
    const std::int64_t naive = Naive(rest, pattern);
    FUZZ_CHECK(*next == (naive < 0 ? -1 : naive + from));
    if (*next < 0) break;
    from = *next + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  if (size < 4) return 0;
  const bool planted = (data[0] & 1) != 0;
  const std::size_t n = data[1] % 87;
  const std::size_t at = static_cast<std::size_t>(data[2]) << 8 | data[3];
  Bytes text(data + 4, data + size);
  Bytes pattern;
  if (planted) {
    const std::size_t start = text.empty() ? 0 : at % text.size();
    pattern.assign(text.begin() + static_cast<std::ptrdiff_t>(start),
                   text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), start + n)));
  } else {
    const std::size_t take = std::min(n, text.size());
    pattern.assign(text.end() - static_cast<std::ptrdiff_t>(take), text.end());
    text.resize(text.size() - take);
  }
  const std::int64_t expected = Naive(text, pattern);
  FUZZ_CHECK(QuickSearch(text, pattern, BuildShiftTable(pattern)) == expected);
  FUZZ_CHECK(PatternFinder(pattern).Find(text) == expected);
  CheckKernels(text, pattern, expected);
  if ((data[0] & 2) != 0) CheckWindowedSearch(text, pattern, expected);
  return 0;
}
