#include "runs/run_job.h"

#include <utility>

namespace vantrel {

RunJob::RunJob(const Bytes& find, const std::optional<Bytes>& replace, bool ask_first) : ask(ask_first) {
  if (!find.empty()) finder.emplace(std::vector<MaskedPattern>{ExactPattern(find)});
  if (replace) replacements.emplace(std::vector<MaskedPattern>{ExactPattern(*replace)});
}

RunJob::RunJob(std::vector<MaskedPattern> finds, std::optional<std::vector<MaskedPattern>> replaces, bool ask_first)
    : replacements(std::move(replaces)), ask(ask_first) {
  if (!finds.empty()) finder.emplace(std::move(finds));
}

}  // namespace vantrel
