// A RunHost for tests: the job is made from two hex texts as the dialog's boxes would give
// it, every prompt is recorded with its kind, answers come from a script (No when the script
// runs out), and the files a run starts are recorded in order.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
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
  // Runs before a prompt is answered (to change the file while the question is open).
  ScriptedHost& OnPrompt(std::function<void(const Shown&)> hook);

  const RunJob& job() const { return job_; }
  RunJob& job() { return job_; }
  const std::vector<Shown>& prompts() const { return prompts_; }
  const std::vector<std::filesystem::path>& files() const { return files_; }
  const std::vector<std::filesystem::path>& unlistable() const { return unlistable_; }

  bool Prompt(std::string_view text, PromptKind kind) override;
  void FileStarted(const std::filesystem::path& path) override { files_.push_back(path); }
  void Unlistable(const std::filesystem::path& dir, const SystemError&) override { unlistable_.push_back(dir); }

 private:
  RunJob job_;
  std::deque<bool> answers_;
  std::function<void(const testing::Shown&)> hook_;
  std::vector<testing::Shown> prompts_;
  std::vector<std::filesystem::path> files_;
  std::vector<std::filesystem::path> unlistable_;
};

}  // namespace vantrel::testing
