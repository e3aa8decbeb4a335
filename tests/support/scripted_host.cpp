#include "tests/support/scripted_host.h"

namespace vantrel::testing {

std::ostream& operator<<(std::ostream& out, const Shown& prompt) {
  return out << "{\"" << prompt.text << "\", kind " << static_cast<int>(prompt.kind) << "}";
}

RunJob HexJob(std::string_view find_hex, std::string_view replace_hex, bool ask) {
  std::optional<Bytes> replacement;
  if (!replace_hex.empty()) replacement = HexTextToBytes(replace_hex.substr(0, 259));
  return RunJob(HexTextToBytes(find_hex.substr(0, 259)), std::move(replacement), ask);
}

ScriptedHost& ScriptedHost::Answer(std::initializer_list<bool> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
  return *this;
}

ScriptedHost& ScriptedHost::OnPrompt(std::function<void(const testing::Shown&)> hook) {
  hook_ = std::move(hook);
  return *this;
}

bool ScriptedHost::Prompt(std::string_view text, PromptKind kind) {
  prompts_.push_back({std::string(text), kind});
  if (hook_) hook_(prompts_.back());
  if (kind != PromptKind::kYesNo) return false;
  if (answers_.empty()) return false;
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

}  // namespace vantrel::testing
