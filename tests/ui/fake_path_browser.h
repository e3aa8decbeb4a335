// A PathBrowser for tests: records each call and returns the path the test chose (nothing,
// as a cancel, unless one was set).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/path_browser.h"

namespace vantrel::testing {

struct BrowseCall {
  enum class Kind { kFolder, kFile } kind;
  std::wstring initial;  // the folder to start at, or the initial file name
  friend bool operator==(const BrowseCall&, const BrowseCall&) = default;
};

class FakePathBrowser : public ui::PathBrowser {
 public:
  void Choose(std::optional<std::wstring> path) { choice_ = std::move(path); }
  const std::vector<BrowseCall>& calls() const { return calls_; }

  std::optional<std::wstring> BrowseFolder(HWND, std::wstring_view current) override {
    calls_.push_back({BrowseCall::Kind::kFolder, std::wstring(current)});
    return choice_;
  }
  std::optional<std::wstring> BrowseFile(HWND, std::wstring_view initial_name) override {
    calls_.push_back({BrowseCall::Kind::kFile, std::wstring(initial_name)});
    return choice_;
  }

 private:
  std::optional<std::wstring> choice_;
  std::vector<BrowseCall> calls_;
};

}  // namespace vantrel::testing
