// Field synchronisation: a change of any of the eight pattern boxes rewrites the other three
// boxes of its group through the group's hex box. Writing a box from a handler makes the box
// send its change notification at once; m_bUpdating makes those nested calls return.
#include "ui/fields/text_forms.h"
#include "res/resource.h"
#include "ui/dialog_box_access.h"
#include "ui/replace_dlg.h"

namespace vantrel::ui {

template <class Steps>
void CReplaceDlg::Synchronise(Steps steps) {
  if (m_bUpdating) return;
  m_bUpdating = true;
  DialogBoxAccess boxes(*this);
  ++sync_passes_;
  steps(boxes);
  m_bUpdating = false;
}

void CReplaceDlg::OnChangeFindHex() {
  Synchronise([](BoxAccess& boxes) {
    ReformatHexBox(boxes, IDC_FIND_HEX);
    HexToAnsi(boxes, IDC_FIND_HEX, IDC_FIND_ASCII);
    HexToUnicode(boxes, IDC_FIND_HEX, IDC_FIND_UNICODE);
    HexToUtf8(boxes, IDC_FIND_HEX, IDC_FIND_UTF8);
  });
}

void CReplaceDlg::OnChangeFindAscii() {
  Synchronise([](BoxAccess& boxes) {
    AnsiToHex(boxes, IDC_FIND_ASCII, IDC_FIND_HEX);
    HexToUnicode(boxes, IDC_FIND_HEX, IDC_FIND_UNICODE);
    HexToUtf8(boxes, IDC_FIND_HEX, IDC_FIND_UTF8);
  });
}

void CReplaceDlg::OnChangeFindUtf8() {
  Synchronise([](BoxAccess& boxes) {
    Utf8ToHex(boxes, IDC_FIND_UTF8, IDC_FIND_HEX);
    HexToUnicode(boxes, IDC_FIND_HEX, IDC_FIND_UNICODE);
    HexToAnsi(boxes, IDC_FIND_HEX, IDC_FIND_ASCII);
  });
}

void CReplaceDlg::OnChangeFindUnicode() {
  Synchronise([](BoxAccess& boxes) {
    UnicodeToHex(boxes, IDC_FIND_UNICODE, IDC_FIND_HEX);
    HexToAnsi(boxes, IDC_FIND_HEX, IDC_FIND_ASCII);
    HexToUtf8(boxes, IDC_FIND_HEX, IDC_FIND_UTF8);
  });
}

void CReplaceDlg::OnChangeReplaceHex() {
  Synchronise([](BoxAccess& boxes) {
    ReformatHexBox(boxes, IDC_REPLACE_HEX);
    HexToAnsi(boxes, IDC_REPLACE_HEX, IDC_REPLACE_ASCII);
    HexToUnicode(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UNICODE);
    HexToUtf8(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UTF8);
  });
}

void CReplaceDlg::OnChangeReplaceAscii() {
  Synchronise([](BoxAccess& boxes) {
    AnsiToHex(boxes, IDC_REPLACE_ASCII, IDC_REPLACE_HEX);
    HexToUnicode(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UNICODE);
    HexToUtf8(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UTF8);
  });
}

void CReplaceDlg::OnChangeReplaceUtf8() {
  Synchronise([](BoxAccess& boxes) {
    Utf8ToHex(boxes, IDC_REPLACE_UTF8, IDC_REPLACE_HEX);
    HexToAnsi(boxes, IDC_REPLACE_HEX, IDC_REPLACE_ASCII);
    HexToUnicode(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UNICODE);
  });
}

void CReplaceDlg::OnChangeReplaceUnicode() {
  Synchronise([](BoxAccess& boxes) {
    UnicodeToHex(boxes, IDC_REPLACE_UNICODE, IDC_REPLACE_HEX);
    HexToAnsi(boxes, IDC_REPLACE_HEX, IDC_REPLACE_ASCII);
    HexToUtf8(boxes, IDC_REPLACE_HEX, IDC_REPLACE_UTF8);
  });
}

}  // namespace vantrel::ui
