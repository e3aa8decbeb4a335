#include "runs/journal_index.h"

namespace vantrel {

JournaledFile* JournalIndex::Find(std::uint64_t file) {
  const auto found = by_number_.find(file);
  return found == by_number_.end() ? nullptr : &files_[found->second];
}

void JournalIndex::Add(const journal::Decoded& decoded) {
  const journal::Record& record = decoded.record;
  if (const auto* started = std::get_if<journal::RunStarted>(&record)) {
    started_ = *started;
  } else if (const auto* begun = std::get_if<journal::FileBegun>(&record)) {
    // A number given twice is a journal no run of this program wrote: the second is ignored.
    if (by_number_.emplace(begun->file, files_.size()).second) files_.push_back({*begun, {}, {}, false, false});
  } else if (const auto* batch = std::get_if<journal::RegionsWritten>(&record)) {
    if (JournaledFile* file = Find(batch->file)) file->batches.push_back({decoded.offset, decoded.size});
  } else if (const auto* kept = std::get_if<journal::FileKept>(&record)) {
    if (JournaledFile* file = Find(kept->file)) file->kept = kept->after;
  } else if (const auto* put_back = std::get_if<journal::FilePutBack>(&record)) {
    if (JournaledFile* file = Find(put_back->file)) file->put_back = true;
  } else if (const auto* undone = std::get_if<journal::FileUndone>(&record)) {
    if (JournaledFile* file = Find(undone->file)) file->undone = true;
  } else if (std::holds_alternative<journal::RunEnded>(record)) {
    ended_ = true;
  } else if (std::holds_alternative<journal::RunUndone>(record)) {
    undone_ = true;
  }
}

}  // namespace vantrel
