/* The operations of platform/desktop.h on Windows: the shell's folder
 * browser, the remembered game folder under HKEY_CURRENT_USER, and a tooltip
 * control over a window and its controls. */
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "platform/callback_guard.h"
#include "platform/desktop.h"

namespace {

const char RememberedKey[] = "Software\\Tarrengard\\Setup";
const char RememberedValue[] = "GameFolder";
// The tooltip control of a window, kept on the window itself.
const char ToolTipProperty[] = "Tarrengard.ToolTip";

int CALLBACK openAtStart(HWND browser, UINT message, LPARAM, LPARAM start) {
  return guardCallback([&] {
    if (message == BFFM_INITIALIZED && start) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
  });
}

// The smaller record every version of the common controls takes.
TOOLINFOA toolFor(HWND window, HWND tool) {
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = window;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  return info;
}

struct ToolTipBuild {
  HWND tip;
  HWND window;
  const char *text;
};

BOOL CALLBACK addControl(HWND control, LPARAM build) {
  return guardCallback([&] {
    auto *b = reinterpret_cast<ToolTipBuild *>(build);
    TOOLINFOA info = toolFor(b->window, control);
    info.lpszText = const_cast<LPSTR>(b->text);
    SendMessageA(b->tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    return TRUE;
  });
}

}  // namespace

bool chooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen) {
  // The browser's newer look needs COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = openAtStart;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  bool chose = false;
  if (LPITEMIDLIST item = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(item, path)) {
      *chosen = path;
      chose = true;
    }
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return chose;
}

bool loadRememberedFolder(std::string *folder) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, RememberedKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  char value[MAX_PATH + 1] = "";
  DWORD type = 0, size = MAX_PATH;  // one byte kept for a terminator the value may lack
  LONG status = RegQueryValueExA(key, RememberedValue, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  value[size] = '\0';
  if (!value[0]) return false;
  *folder = value;
  return true;
}

bool storeRememberedFolder(const std::string &folder) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, RememberedKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status;
  if (folder.empty()) {
    status = RegDeleteValueA(key, RememberedValue);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  } else {
    status = RegSetValueExA(key, RememberedValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(folder.c_str()),
                            static_cast<DWORD>(folder.size() + 1));
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

BOOL setWindowToolTip(HWND window, LPCSTR text) {
  if (!IsWindow(window)) return FALSE;
  // A new text builds a new control: the tools of the old one go with it.
  if (HWND old = static_cast<HWND>(GetPropA(window, ToolTipProperty))) {
    RemovePropA(window, ToolTipProperty);
    DestroyWindow(old);
  }
  if (!text || !*text) return TRUE;
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), nullptr);
  if (!tip) return FALSE;
  // The window and each of its controls is a tool: the text shows wherever
  // the pointer rests on it.
  ToolTipBuild build = {tip, window, text};
  addControl(window, reinterpret_cast<LPARAM>(&build));
  EnumChildWindows(window, addControl, reinterpret_cast<LPARAM>(&build));
  SetPropA(window, ToolTipProperty, tip);
  return TRUE;
}

int getWindowToolTip(HWND window, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = '\0';
  HWND tip = IsWindow(window) ? static_cast<HWND>(GetPropA(window, ToolTipProperty)) : nullptr;
  if (!tip) return 0;
  TOOLINFOA info = toolFor(window, window);
  info.lpszText = buffer;
  SendMessageA(tip, TTM_GETTEXTA, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(&info));
  buffer[capacity - 1] = '\0';
  return lstrlenA(buffer);
}
#endif  // _WIN32
