/* The dialog window class's icon: LoadIconA's handles for the program's
 * icon table, and the icon SetClassLongA sets for every dialog at once.
 */
#include "platform/core/backend.h"
#include "platform/core/window.h"
#include "platform/resources.h"

namespace {

LONG_PTR DialogClassIcon = 0;

}  // namespace

LONG_PTR dialogClassIcon() { return DialogClassIcon; }

const IconResource *dialogClassIconResource() {
  // LoadIconA's handles are the icon numbers.
  return DialogClassIcon > 0 && DialogClassIcon <= 0xffff ? findIcon(static_cast<int>(DialogClassIcon)) : nullptr;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  // An icon of the program's icon table. Its handle is its number, so that it
  // survives SetClassLongA, which keeps 32 bits, as well as SetClassLongPtrA.
  if (!IS_INTRESOURCE(name) || !findIcon(LOWORD(name))) return nullptr;
  return reinterpret_cast<HICON>(static_cast<uintptr_t>(LOWORD(name)));
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  if (!isWindow(window) || index != GCLP_HICON) return 0;
  // Every dialog shares one window class, so the icon is process-wide.
  LONG_PTR previous = DialogClassIcon;
  DialogClassIcon = value;
  backendWindowChanged(window->dialog, WindowChange::Icon);
  return static_cast<ULONG_PTR>(previous);
}

// The 32-bit form: the value set and the one returned are 32 bits wide.
DWORD SetClassLongA(HWND window, int index, LONG value) {
  static_assert(GCL_HICON == GCLP_HICON);
  return static_cast<DWORD>(SetClassLongPtrA(window, index, value));
}

ULONG_PTR GetClassLongPtrA(HWND window, int index) {
  if (!isWindow(window) || index != GCLP_HICON) return 0;
  return static_cast<ULONG_PTR>(DialogClassIcon);
}

DWORD GetClassLongA(HWND window, int index) { return static_cast<DWORD>(GetClassLongPtrA(window, index)); }
