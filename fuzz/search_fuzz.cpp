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

#include "files/occurrence_search.h"
#include "files/find_in_file.h"
#include "platform/mapped_file.h"
#include "search/pattern_finder.h"
#include "search/quick_search.h"
#include "search/search_kernels.h"
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
    if (Available(InstructionSet::kAvx2)) FUZZ_CHECK(kernels::FindAvx2(text.data(), text.size(), pattern.data(), n, anchors) == expected);
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
  const SearchOptions one_granule{os::MapGranularity(), 0, {}};
  const std::int64_t found = FindInFile(path, pattern, one_granule);
  FUZZ_CHECK(found == (expected >= 0 ? expected : FIND_NOT_FOUND));
  // Every later occurrence too, as the batch runs meet them, from mapped views and from memory.
  if (pattern.empty()) return;
  const PatternFinder finder(pattern);
  for (const SearchOptions& options : {one_granule, SearchOptions{}}) {
    Result<FileSource> source = FileSource::Open(path, options);
    FUZZ_CHECK(source.ok());
    class Check : public OccurrenceSink {
     public:
      Check(const Bytes& text, const Bytes& pattern) : text_(text), pattern_(pattern) {}
      std::optional<std::int64_t> Found(PatternHit hit) override {
      const std::int64_t offset = hit.offset;
        const Bytes rest(text_.begin() + static_cast<std::ptrdiff_t>(from_), text_.end());
        const std::int64_t naive = Naive(rest, pattern_);
        FUZZ_CHECK(naive >= 0 && offset == naive + from_);
        from_ = offset + 1;
        if (++count_ == 8) return std::nullopt;
        return from_;
      }
      void Finish() const {
        if (count_ == 8) return;
        const Bytes rest(text_.begin() + static_cast<std::ptrdiff_t>(std::min<std::int64_t>(from_, static_cast<std::int64_t>(text_.size()))), text_.end());
        FUZZ_CHECK(Naive(rest, pattern_) < 0);
      }
     private:
      const Bytes& text_;
      const Bytes& pattern_;
      std::int64_t from_ = 0;
      int count_ = 0;
    } check(text, pattern);
    FUZZ_CHECK(SearchOccurrences(*source, finder, check).ok());
    check.Finish();
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
