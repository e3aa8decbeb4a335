#include "runs/file_scan.h"

#include "files/occurrence_search.h"

namespace vantrel {
namespace {

class ScanSink : public OccurrenceSink {
 public:
  ScanSink(const FileSource& source, const RunJob& job, RunHost& host, FileOutcome& outcome, const OnOccurrence& next)
      : source_(source), job_(job), host_(host), outcome_(outcome), next_(next) {}

  std::optional<std::int64_t> Found(PatternHit hit) override {
    Match match{hit.offset, hit.index, {}, {}, {}};
    if (Result<void> read = ReadAround(match); !read) {
      outcome_.failure = FileOutcome::Failure::kRead;
      outcome_.error = read.error();
      return std::nullopt;
    }
    return next_(match);
  }
  void Reached(std::int64_t offset) override { host_.Reached(offset); }

 private:
  // The bytes of the occurrence and around it, as far as the job asks for them.
  Result<void> ReadAround(Match& match) const {
    const std::size_t n = job_.pattern(match.pattern).size();
    if (job_.found_bytes) {
      Result<Bytes> found = source_.Read(match.offset, n);
      if (!found) return found.error();
      match.found = std::move(*found);
    }
    if (job_.context > 0) {
      const std::int64_t start = std::max<std::int64_t>(0, match.offset - static_cast<std::int64_t>(job_.context));
      Result<Bytes> before = source_.Read(start, static_cast<std::size_t>(match.offset - start));
      Result<Bytes> after = source_.Read(match.offset + static_cast<std::int64_t>(n), job_.context);
      if (!before) return before.error();
      if (!after) return after.error();
      match.before = std::move(*before);
      match.after = std::move(*after);
    }
    return {};
  }

  const FileSource& source_;
  const RunJob& job_;
  RunHost& host_;
  FileOutcome& outcome_;
  const OnOccurrence& next_;
};

}  // namespace

void ScanFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context,
              FileOutcome& outcome, const OnOccurrence& on_occurrence) {
  Result<FileSource> source = FileSource::Open(path, job.search, context.buffer, job.tree);
  if (!source) {
    outcome.failure = FileOutcome::Failure::kRead;
    outcome.error = source.error();
    return;
  }
  // A second name of a file met before is passed over before anything is read, so what the
  // host hears of it is the same whatever was found under the first name and whenever.
  if (context.met != nullptr && !context.met->Meet(*source)) {
    outcome.met_before = true;
    return;
  }
  outcome.searched = source->length();
  ScanSink sink(*source, job, host, outcome, on_occurrence);
  if (Result<void> searched = SearchOccurrences(*source, *job.finder, sink); !searched) {
    outcome.failure = FileOutcome::Failure::kRead;
    outcome.error = searched.error();
  }
}

}  // namespace vantrel
