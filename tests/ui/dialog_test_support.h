// Shared by the dialog tests: a fresh scratch folder per test as the
// current folder, the process state reset (tests/common/process_state.h), no MIDI
// devices unless a test names some, and small readers that look at a dialog
// through the Win32 calls only, so the same tests can drive any backend.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "settings/settings.h"
#include "tests/common/open_dialog.h"
#include "tests/common/process_state.h"
#include "tests/common/scratch_folder.h"
#include "tests/harness/scripted_user/test_midi_devices.h"
#include "tests/harness/scripted_user/user_script.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace dialogtest {

using userscript::Action;
using userscript::click;
using userscript::doubleClickRow;
using userscript::dragTrackbar;
using userscript::focus;
using userscript::inspect;
using userscript::key;
using userscript::selectRow;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<ScratchFolder>(ScratchFolder::Entered);
    resetProcessState(KeySelectRequest, FunctionSelectRequest);
    setMidiOutDevices({});
  }

  void TearDown() override {
    setMidiOutDevicesForTesting(nullptr);
    folder_.reset();
  }

  void setMidiOutDevices(const std::vector<std::string> &names) { setMidiOutDevicesForTesting(&names); }

  std::unique_ptr<ScratchFolder> folder_;
};

inline std::string windowText(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

inline std::string controlText(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

inline bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

inline bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

inline int comboSelection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

inline int comboCount(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0); }

inline std::string comboRowText(HWND dialog, int id, int row) {
  LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, (WPARAM)row, 0);
  if (length < 0) return "<no row>";
  std::string text((size_t)length + 1, '\0');
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, (WPARAM)row, (LPARAM)text.data());
  text.resize((size_t)length);
  return text;
}

inline std::string comboSelectedText(HWND dialog, int id) {
  return comboRowText(dialog, id, comboSelection(dialog, id));
}

inline int listSelection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0); }

inline int listCount(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0); }

inline std::string listRowText(HWND dialog, int id, int row) {
  LRESULT length = SendDlgItemMessageA(dialog, id, LB_GETTEXTLEN, (WPARAM)row, 0);
  if (length < 0) return "<no row>";
  std::string text((size_t)length + 1, '\0');
  SendDlgItemMessageA(dialog, id, LB_GETTEXT, (WPARAM)row, (LPARAM)text.data());
  text.resize((size_t)length);
  return text;
}

inline std::string listSelectedText(HWND dialog, int id) { return listRowText(dialog, id, listSelection(dialog, id)); }

// The row of a list box that holds exactly `text` (ignoring case), or -1.
inline int listRowOf(HWND dialog, int id, const char *text) {
  return (int)SendDlgItemMessageA(dialog, id, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
}

}  // namespace dialogtest
