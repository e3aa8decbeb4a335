// The real main dialog, made from the real template, for in-process tests: boxes are set
// and read, characters are posted and run through the dialog's own loop, drops and
// commands are sent, message boxes are answered by a script and the browse dialogs faked.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/fake_path_browser.h"
#include "tests/ui/scripted_message_boxes.h"
#include "ui/replace_dlg.h"

namespace vantrel::testing {

// Makes a shell shortcut at link that points to target, through the shell link object.
void MakeShortcut(const std::filesystem::path& link, const std::filesystem::path& target);

// Builds a drop of the given paths as the shell hands it over (DROPFILES, wide names).
HDROP MakeDrop(const std::vector<std::filesystem::path>& paths);

// Wide text to UTF-8, for messages of failed checks.
std::string Utf8(std::wstring_view text);

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(std::nullopt); }
  void TearDown() override { dialog_.reset(); }

  // (Re)creates the dialog, as if started with path on the command line.
  void Open(std::optional<std::filesystem::path> command_line_path);

  ui::CReplaceDlg& dialog() { return *dialog_; }
  HWND window() { return dialog_->window(); }
  HWND Item(int id) { return dialog_->Item(id); }

  std::wstring Text(int id) { return dialog_->ItemText(id); }
  void SetText(int id, std::wstring_view text);
  // Posts each character to the box and runs the dialog's loop over them.
  void Type(int id, std::wstring_view chars);
  void PostKeyDown(HWND target, UINT key);
  // Sends a button click notification, as the button does.
  void Click(int id);
  void Drop(const std::vector<std::filesystem::path>& paths);
  bool Checked(int id) { return dialog_->IsChecked(id); }
  int Caret(int id);

  FakePathBrowser browser_;
  ScriptedMessageBoxes boxes_;

 private:
  std::unique_ptr<ui::CReplaceDlg> dialog_;
};

}  // namespace vantrel::testing
