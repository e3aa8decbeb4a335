// The main dialog of Vantrel: the path box with its browse button and directory switch, the
// find and replace groups of four boxes each, the switches and Start. It holds all state of
// the user interface; its message map routes every user action to one handler.
#pragma once

#include <windows.h>
#include <shellapi.h>  // HDROP

#include <array>
#include <filesystem>
#include <optional>

#include "ui/framework/dialog.h"
#include "ui/framework/message_map.h"
#include "ui/message_boxes.h"
#include "ui/path_browser.h"

namespace vantrel::ui {

// What the dialog shows its browse dialogs and message boxes with.
struct DialogServices {
  PathBrowser& browser;
  MessageBoxes& message_boxes;
};

class CReplaceDlg : public framework::Dialog {
 public:
  // command_line_path: the first argument of the command line, if any.
  CReplaceDlg(HINSTANCE instance, HWND parent, DialogServices services,
              std::optional<std::filesystem::path> command_line_path = std::nullopt);
  ~CReplaceDlg() override;

  // Takes a path from the command line or a drop: a directory turns directory mode on, a
  // file turns it off, a shortcut is replaced by its target; a missing path changes nothing.
  void AcceptPath(std::filesystem::path path);
  // The browse button: the folder browser in directory mode, else the file-open dialog.
  void BrowseForPath();
  // Start: runs the find-and-replace on the file, or on every file below the directory.
  void OnStart();

  // How many synchronisation passes have run: a write from inside a handler must not start
  // a second one.
  int sync_passes() const { return sync_passes_; }

 private:
  using Entry = framework::MessageMapEntry<CReplaceDlg>;

  BOOL OnInitDialog() override;
  bool PreTranslateMessage(MSG& msg) override;
  bool OnMessage(const framework::Message& message, LRESULT& result) override;

  void OnPaint();
  HICON OnQueryDragIcon();
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
  void OnEndProcess();
  void OnDropFiles(HDROP drop);
  void OnLButtonDown(UINT flags, POINT point);
  BOOL OnHelpInfo(const HELPINFO& info);

  // The eight change handlers of the pattern boxes, each under the m_bUpdating guard.
  void OnChangeFindHex();
  void OnChangeFindAscii();
  void OnChangeFindUtf8();
  void OnChangeFindUnicode();
  void OnChangeReplaceHex();
  void OnChangeReplaceAscii();
  void OnChangeReplaceUtf8();
  void OnChangeReplaceUnicode();
  // Runs steps (a function of BoxAccess&) unless a pass is already running.
  template <class Steps>
  void Synchronise(Steps steps);

  DialogServices services_;
  std::optional<std::filesystem::path> command_line_path_;
  HICON m_hIcon;
  HICON small_icon_;
  bool m_bUpdating = false;
  int sync_passes_ = 0;

  static const std::array<Entry, 17> kMessageMap;
};

}  // namespace vantrel::ui
