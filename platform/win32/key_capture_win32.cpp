/* The key-capture box of the Windows build (capturePressedKey): a small
 * window made in memory with the prompt on the owner dialog's font, and a
 * modal loop of its own that disables the owner and reads the first
 * WM_KEYDOWN or WM_SYSKEYDOWN itself, before any dialog manager could take
 * the key for Tab, Enter, Escape or a mnemonic, and before DefWindowProc
 * could take Alt or F10 for a menu.
 */
#include "platform/win32.h"

#include "platform/callback_guard.h"
#include "platform/key_codes.h"

namespace {

// Margins and the width the prompt wraps at, in dialog units.
constexpr int MarginX = 10;
constexpr int MarginY = 10;
constexpr int PromptWidth = 170;
constexpr int PromptLinesAtMost = 4;

// Set by the box's window procedure when it is closed without a key.
bool ClosedWithoutKey = false;

LRESULT captureWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: ClosedWithoutKey = true; return 0;
    case WM_ACTIVATE:
      // Keys go to the box itself, whichever way it became active again.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK captureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return guardCallback([&] { return captureWindowMessage(window, message, wParam, lParam); });
}

bool registerCaptureClass(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = captureWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = KeyCaptureWindowClass;
  registered = RegisterClassA(&windowClass) != 0;
  return registered;
}

// Dialog units of the owner dialog to pixels; the system's base units
// without one.
RECT dialogUnitsToPixels(HWND owner, int x, int y, int cx, int cy) {
  RECT rect = {x, y, x + cx, y + cy};
  if (owner && MapDialogRect(owner, &rect)) return rect;
  LONG units = GetDialogBaseUnits();
  int baseX = LOWORD(units), baseY = HIWORD(units);
  rect = {MulDiv(x, baseX, 4), MulDiv(y, baseY, 8), MulDiv(x + cx, baseX, 4), MulDiv(y + cy, baseY, 8)};
  return rect;
}

// The prompt's size, wrapped at `width` pixels, in `font`.
SIZE promptSize(HFONT font, const char *prompt, int width) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  RECT rect = {0, 0, width, 0};
  DrawTextA(dc, prompt, -1, &rect, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return SIZE{width, rect.bottom - rect.top};
}

// Centred over the owner, else on the screen's work area; kept inside it.
POINT placeOver(HWND owner, int width, int height) {
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT over = area;
  if (owner) GetWindowRect(owner, &over);
  LONG x = (over.left + over.right - width) / 2;
  LONG y = (over.top + over.bottom - height) / 2;
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  return POINT{x, y};
}

HWND createBox(HWND owner, const char *caption, const char *prompt) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registerCaptureClass(instance)) return nullptr;
  HFONT font = owner ? reinterpret_cast<HFONT>(SendMessageA(owner, WM_GETFONT, 0, 0)) : nullptr;
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  RECT margins = dialogUnitsToPixels(owner, 0, 0, MarginX, MarginY);
  RECT wrap = dialogUnitsToPixels(owner, 0, 0, PromptWidth, 8 * PromptLinesAtMost);
  SIZE text = promptSize(font, prompt, wrap.right);
  if (text.cy > wrap.bottom) text.cy = wrap.bottom;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT frame = {0, 0, text.cx + 2 * margins.right, text.cy + 2 * margins.bottom};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  POINT at = placeOver(owner, width, height);
  HWND box = CreateWindowExA(exStyle, KeyCaptureWindowClass, caption, style, at.x, at.y, width, height, owner, nullptr,
                             instance, nullptr);
  if (!box) return nullptr;
  HWND label = CreateWindowExA(0, "STATIC", prompt, WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, margins.right,
                               margins.bottom, text.cx, text.cy, box, nullptr, instance, nullptr);
  if (label) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return box;
}

bool isKeyPress(const MSG &message) { return message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN; }

// Bit 30 of a key message: the key was already down, so this is a repeat of a
// key held since before the box (the one that opened it, perhaps).
bool isRepeat(const MSG &message) { return (static_cast<uint32_t>(message.lParam) & (1u << 30)) != 0; }

int keyCodeOf(const MSG &message) {
  return keyCodeFromKeyMessage(static_cast<unsigned>(message.wParam), static_cast<uint32_t>(message.lParam));
}

// On a layout with AltGr, Windows makes up a left Ctrl press just before
// the right Alt's, with the same time: the key pressed is the right Alt.
int withoutMadeUpCtrl(HWND box, const MSG &message, int keyCode) {
  const int leftCtrl = 0x1D, rightAlt = KeyCodeE0 | 0x38;
  if (keyCode != leftCtrl) return keyCode;
  MSG next;
  if (!PeekMessageA(&next, box, WM_KEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE)) return keyCode;
  if (!isKeyPress(next) || next.time != message.time || keyCodeOf(next) != rightAlt) return keyCode;
  PeekMessageA(&next, box, next.message, next.message, PM_REMOVE);
  return rightAlt;
}

// Runs until a key is read or the box is closed; the key's code, else -1.
int readKey(HWND box) {
  ClosedWithoutKey = false;
  MSG message;
  while (!ClosedWithoutKey) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loops outside this one
      return -1;
    }
    if (got < 0) return -1;
    bool forBox = message.hwnd == box || IsChild(box, message.hwnd);
    if (forBox && isKeyPress(message)) {
      if (isRepeat(message)) continue;
      return withoutMadeUpCtrl(box, message, keyCodeOf(message));
    }
    // Print Screen's press goes to the system's screen copy; only its
    // release reaches a window.
    bool keyRelease = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (forBox && keyRelease && message.wParam == VK_SNAPSHOT) return keyCodeOf(message);
    // Nothing else of the keyboard is meant for the box: no characters, no
    // menu for a released Alt.
    if (forBox && (keyRelease || message.message == WM_CHAR || message.message == WM_SYSCHAR)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return -1;
}

}  // namespace

int capturePressedKey(HWND owner, const char *caption, const char *prompt) {
  // A control given as owner stands for its dialog, as with DialogBoxParamA.
  if (owner) owner = GetAncestor(owner, GA_ROOT);
  HWND box = createBox(owner, caption ? caption : "", prompt ? prompt : "");
  if (!box) return -1;
  bool reenable = owner && IsWindowEnabled(owner);
  if (reenable) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  SetForegroundWindow(box);
  SetFocus(box);
  int keyCode = readKey(box);
  // The owner is enabled before the box goes, so that it is the window
  // activated in its place.
  if (reenable) EnableWindow(owner, TRUE);
  DestroyWindow(box);
  return keyCode == KeyCodeEscape ? -1 : keyCode;
}
