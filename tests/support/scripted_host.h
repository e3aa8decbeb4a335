// A RunHost for tests: the job is made from two hex texts as the dialog's boxes would give
// it, every prompt is recorded with its kind, answers come from a script (No when the script
// runs out), and the files a run starts are recorded in order.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "runs/run_host.h"
#include "runs/run_job.h"

namespace vantrel::testing {

struct Shown {
  std::string text;
  PromptKind kind;
  friend bool operator==(const Shown&, const Shown&) = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& prompt);

// The job the dialog's boxes give: each hex text decoded, nothing to write when the replace
// text is empty.
RunJob HexJob(std::string_view find_hex, std::string_view replace_hex, bool ask = true);

class ScriptedHost : public RunHost {
 public:
  ScriptedHost(std::string_view find_hex, std::string_view replace_hex, bool ask = true)
      : job_(HexJob(find_hex, replace_hex, ask)) {}

  // Answers for the Yes/No questions, in order.
  ScriptedHost& Answer(std::initializer_list<bool> answers);
  // Answers as from a pipe: the run is told no one sees its questions.
  ScriptedHost& AnswersUnseen() {
    answers_seen_ = false;
    return *this;
  }
  // Runs before a prompt is answered (to change the file while the question is open).
  ScriptedHost& OnPrompt(std::function<void(const Shown&)> hook);

  const RunJob& job() const { return job_; }
  RunJob& job() { return job_; }
  const std::vector<Shown>& prompts() const { return prompts_; }
  const std::vector<std::filesystem::path>& files() const { return files_; }
  const std::vector<std::filesystem::path>& unlistable() const { return unlistable_; }
  // Why each of them could not be listed.
  const std::vector<std::string>& unlistable_why() const { return unlistable_why_; }
  const std::vector<std::pair<AskStop, std::int64_t>>& stops() const { return stops_; }

  bool Prompt(std::string_view text, PromptKind kind) override;
  bool AnswersAreSeen() override { return answers_seen_; }
  void StoppedAsking(const std::filesystem::path&, AskStop why, std::int64_t offset) override {
    stops_.emplace_back(why, offset);
  }
  void FileStarted(const std::filesystem::path& path) override { files_.push_back(path); }
  void Unlistable(const std::filesystem::path& dir, const SystemError& why) override {
    unlistable_.push_back(dir);
    unlistable_why_.push_back(why.message);
  }

 private:
  RunJob job_;
  std::deque<bool> answers_;
  std::function<void(const testing::Shown&)> hook_;
  std::vector<testing::Shown> prompts_;
  std::vector<std::filesystem::path> files_;
  std::vector<std::filesystem::path> unlistable_;
  std::vector<std::string> unlistable_why_;
  std::vector<std::pair<AskStop, std::int64_t>> stops_;
  bool answers_seen_ = true;
};

}  // namespace vantrel::testing
