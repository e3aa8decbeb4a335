#include "search/shared_part.h"

#include <algorithm>
#include <set>

#include "search/byte_rank.h"

namespace vantrel {
namespace {

bool FixedAt(const MaskedPattern& pattern, std::size_t k) { return k < pattern.size() && pattern.mask[k] == 0xFF; }

bool HoldsAt(const MaskedPattern& pattern, std::size_t k, std::uint8_t byte) {
  return FixedAt(pattern, k) && pattern.bytes[k] == byte;
}

// The pattern with the fewest fixed bytes: every shared run is one of its runs, and it has the
// fewest to try.
std::size_t FewestFixed(const std::vector<MaskedPattern>& patterns) {
  const auto fixed = [](const MaskedPattern& p) { return std::count(p.mask.begin(), p.mask.end(), 0xFF); };
  std::size_t fewest = 0;
  for (std::size_t i = 1; i < patterns.size(); ++i) {
    if (fixed(patterns[i]) < fixed(patterns[fewest])) fewest = i;
  }
  return fewest;
}

// The fixed bytes of the pattern from k on, up to the longest run looked for.
Bytes RunFrom(const MaskedPattern& pattern, std::size_t k) {
  Bytes run;
  while (run.size() < SharedPart::kLongest && FixedAt(pattern, k + run.size())) {
    run.push_back(pattern.bytes[k + run.size()]);
  }
  return run;
}

// Grows the runs that start with run[0] one byte at a time, keeping in places[i] where
// pattern i still holds the run so far; offers each length every pattern holds to `best`.
void TryRunsOf(const Bytes& run, const std::vector<MaskedPattern>& patterns, std::optional<SharedPart>& best) {
  std::vector<std::vector<std::size_t>> places(patterns.size());
  double rate = 1;
  for (std::size_t length = 1; length <= run.size(); ++length) {
    const std::uint8_t byte = run[length - 1];
    rate *= ByteShare(byte);
    for (std::size_t i = 0; i < patterns.size(); ++i) {
      std::vector<std::size_t>& at = places[i];
      if (length == 1) {
        for (std::size_t k = 0; k < patterns[i].size(); ++k) {
          if (HoldsAt(patterns[i], k, byte)) at.push_back(k);
        }
      } else {
        std::erase_if(at, [&](std::size_t k) { return !HoldsAt(patterns[i], k + length - 1, byte); });
      }
      if (at.empty()) return;
    }
    if (!best || rate < best->hit_rate) {
      best = SharedPart{Bytes(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(length)), {}, rate};
      for (const std::vector<std::size_t>& at : places) best->offsets.push_back(at.front());
    }
  }
}

}  // namespace

std::optional<SharedPart> FindSharedPart(const std::vector<MaskedPattern>& patterns) {
  if (patterns.empty()) return std::nullopt;
  const MaskedPattern& fewest = patterns[FewestFixed(patterns)];
  std::optional<SharedPart> best;
  std::set<Bytes> tried;  // a pattern such as "aaaa" has the same run at many starts
  for (std::size_t k = 0; k < fewest.size(); ++k) {
    Bytes run = RunFrom(fewest, k);
    if (run.empty() || !tried.insert(run).second) continue;
    TryRunsOf(run, patterns, best);
  }
  return best;
}

}  // namespace vantrel
