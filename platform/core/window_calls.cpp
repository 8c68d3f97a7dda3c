/* The small Win32 window calls: finding a dialog's controls, enabling them,
 * their texts and check state, a window's class name and style words, and
 * InitCommonControls. Messages are in control_messages.cpp, modal windows in
 * modal.cpp, the focus in focus.cpp, the class icon in class_icon.cpp.
 */
#include <algorithm>
#include <cstring>

#include "platform/core/backend.h"
#include "platform/core/window.h"

namespace {

void setText(HWND window, LPCSTR text) {
  window->text = text ? text : "";
  backendWindowChanged(window, WindowChange::Text);
}

int copyOut(const std::string &text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  int n = std::min<int>(static_cast<int>(text.size()), capacity - 1);
  std::memcpy(buffer, text.data(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

}  // namespace

HWND GetDlgItem(HWND dialog, int id) {
  if (!isWindow(dialog) || dialog->kind != WindowKind::Dialog) return nullptr;
  for (HWND control : dialog->controls) {
    if (static_cast<WORD>(control->id) == static_cast<WORD>(id)) return control;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  if (!isWindow(control) || control->kind == WindowKind::Dialog) return 0;
  return control->id;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  if (!isWindow(window)) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    window->style &= ~WS_DISABLED;
    backendWindowChanged(window, WindowChange::Enabled);
  } else if (!enable && !wasDisabled) {
    window->style |= WS_DISABLED;
    backendWindowChanged(window, WindowChange::Enabled);
    // A disabled control cannot keep the focus (Enter then goes to the default button).
    if (window->kind != WindowKind::Dialog && window->dialog->focus == window) moveFocus(window->dialog, nullptr);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) { return isEnabled(window) ? TRUE : FALSE; }

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  setText(control, text);
  return TRUE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int capacity) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    copyOut("", buffer, capacity);
    return 0;
  }
  return static_cast<UINT>(copyOut(control->text, buffer, capacity));
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!isWindow(window)) return FALSE;
  setText(window, text);
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int capacity) {
  if (!isWindow(window)) {
    copyOut("", buffer, capacity);
    return 0;
  }
  return copyOut(window->text, buffer, capacity);
}

// The names Windows registers its classes under (a template may spell them
// in any case).
int GetClassNameA(HWND window, LPSTR buffer, int capacity) {
  if (!isWindow(window)) {
    copyOut("", buffer, capacity);
    return 0;
  }
  static const char *const Names[] = {"#32770", "Button",  "Button",   "Button",           "Button",
                                      "Static", "ListBox", "ComboBox", "msctls_trackbar32"};
  static_assert(sizeof Names / sizeof Names[0] == static_cast<size_t>(WindowKind::Trackbar) + 1);
  return copyOut(Names[static_cast<int>(window->kind)], buffer, capacity);
}

LONG GetWindowLongA(HWND window, int index) {
  if (!isWindow(window)) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(window->style);
  if (index == GWL_ID) return window->kind == WindowKind::Dialog ? 0 : window->id;
  return 0;
}

// Windows registers the track bar's window class here; the core's track bars
// need nothing registered, but the backend is started.
void InitCommonControls(void) { backendStart(); }
