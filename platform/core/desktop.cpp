/* The operations of platform/desktop.h that the core keeps: a window's
 * tooltip is state of the window like its text, mirrored by the backend; the
 * remembered game folder is the backend's, passed through.
 */
#include <algorithm>
#include <cstring>

#include "platform/core/backend.h"
#include "platform/core/window.h"
#include "platform/desktop.h"

BOOL setWindowToolTip(HWND window, LPCSTR text) {
  if (!isWindow(window)) return FALSE;
  window->toolTip = text ? text : "";
  backendWindowChanged(window, WindowChange::ToolTip);
  return TRUE;
}

int getWindowToolTip(HWND window, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  const std::string none;
  const std::string &text = isWindow(window) ? window->toolTip : none;
  int n = std::min<int>(static_cast<int>(text.size()), capacity - 1);
  std::memcpy(buffer, text.data(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

bool loadRememberedFolder(std::string *folder) {
  std::string remembered;
  if (!backendLoadRememberedFolder(&remembered) || remembered.empty()) return false;
  if (folder) *folder = remembered;
  return true;
}

bool storeRememberedFolder(const std::string &folder) { return backendStoreRememberedFolder(folder); }
