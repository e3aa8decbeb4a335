// A RunHost for tests: the hex texts and the ask switch are set by the test, every prompt is
// recorded with its kind, and answers come from a script (No when the script runs out).
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "runs/run_host.h"

namespace vantrel::testing {

struct Shown {
  std::string text;
  PromptKind kind;
  friend bool operator==(const Shown&, const Shown&) = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& prompt);

class ScriptedHost : public RunHost {
 public:
  ScriptedHost(std::string find_hex, std::string replace_hex, bool ask = true)
      : find_hex_(std::move(find_hex)), replace_hex_(std::move(replace_hex)), ask_(ask) {}

  // Answers for the Yes/No questions, in order.
  ScriptedHost& Answer(std::initializer_list<bool> answers);
  // Runs before a prompt is answered (to change the file while the question is open).
  ScriptedHost& OnPrompt(std::function<void(const Shown&)> hook);

  const std::vector<Shown>& prompts() const { return prompts_; }

  std::string FindHexText() override { return find_hex_.substr(0, 259); }
  std::string ReplaceHexText() override { return replace_hex_.substr(0, 259); }
  std::size_t ReplaceHexLength() override { return replace_hex_.size(); }
  bool AskBeforeReplace() override { return ask_; }
  bool Prompt(std::string_view text, PromptKind kind) override;

 private:
  std::string find_hex_;
  std::string replace_hex_;
  bool ask_;
  std::deque<bool> answers_;
  std::function<void(const testing::Shown&)> hook_;
  std::vector<testing::Shown> prompts_;
};

}  // namespace vantrel::testing
