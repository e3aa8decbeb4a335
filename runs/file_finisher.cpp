#include "runs/file_finisher.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vantrel {

void FileFinisher::Hand(CarefulWriter writer, Done done) {
  if (waiting_.empty()) first_ = std::chrono::steady_clock::now();
  bytes_ += writer.gathered_bytes();
  waiting_.push_back({std::move(writer), std::move(done)});
  if (waiting_.size() >= kMaxFiles || bytes_ >= kMaxBytes) FinishAll();
}

void FileFinisher::FinishIfDue() {
  if (!waiting_.empty() && std::chrono::steady_clock::now() - first_ >= kWindow) FinishAll();
}

void FileFinisher::FinishAll() {
  std::vector<Waiting> group;
  group.swap(waiting_);
  bytes_ = 0;
  if (group.empty()) return;
  // Every batch of the group in the log, then one flush for all of them.
  std::vector<std::optional<LogSpan>> spans(group.size());
  std::vector<Result<void>> closed(group.size());
  std::int64_t end = 0;
  for (std::size_t i = 0; i < group.size(); ++i) {
    Result<LogSpan> span = group[i].writer.AppendAhead();
    if (!span) {
      closed[i] = span.error();
      continue;
    }
    spans[i] = *span;
    end = std::max(end, span->offset + span->size);
  }
  const Result<void> flushed = end > 0 ? log_.FlushTo(end) : Result<void>();
  // Each file is told of as soon as it is closed, in the order handed over (walk order).
  for (std::size_t i = 0; i < group.size(); ++i) {
    CarefulWriter& writer = group[i].writer;
    if (spans[i]) {
      if (!flushed) closed[i] = writer.GiveUpUnflushed(flushed.error());
      else if (closed[i] = writer.WriteAppended(*spans[i]); closed[i]) closed[i] = writer.Close();
    }
    group[i].done(std::move(closed[i]));
  }
}

}  // namespace vantrel
