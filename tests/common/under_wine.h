/* Whether the Windows the tests run on is Wine, which differs from Windows
 * in a few places (docs/platform.md lists them). False off Windows.
 */
#pragma once

#include "platform/win32.h"

inline bool runningUnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}
