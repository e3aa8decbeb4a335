#include "runs/file_scan.h"

#include "engine/occurrence_search.h"

namespace vantrel {
namespace {

class ScanSink : public OccurrenceSink {
 public:
  ScanSink(const FileSource& source, RunHost& host, FilesMet* met, FileOutcome& outcome, const OnOccurrence& next)
      : source_(source), host_(host), met_(met), outcome_(outcome), next_(next) {}

  std::optional<std::int64_t> Found(std::int64_t offset) override {
    if (met_ != nullptr && std::exchange(first_, false) && !met_->Meet(source_)) {
      outcome_.met_before = true;
      return std::nullopt;
    }
    return next_(offset);
  }
  void Reached(std::int64_t offset) override { host_.Reached(offset); }

 private:
  const FileSource& source_;
  RunHost& host_;
  FilesMet* met_;
  FileOutcome& outcome_;
  const OnOccurrence& next_;
  bool first_ = true;
};

}  // namespace

void ScanFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context,
              FileOutcome& outcome, const OnOccurrence& on_occurrence) {
  Result<FileSource> source = FileSource::Open(path, job.search, context.buffer);
  if (!source) {
    outcome.failure = FileOutcome::Failure::kRead;
    outcome.error = source.error();
    return;
  }
  outcome.searched = source->length();
  ScanSink sink(*source, host, context.met, outcome, on_occurrence);
  if (Result<void> searched = SearchOccurrences(*source, job.finder, sink); !searched) {
    outcome.failure = FileOutcome::Failure::kRead;
    outcome.error = searched.error();
  }
}

}  // namespace vantrel
