/* Keys as the keyboard itself names them, whatever the layout: the key code
 * that capturePressedKey (platform/win32.h) answers, and how each system's
 * own report of a key press turns into it. Portable: built into every
 * backend and into the Windows build.
 *
 * A key code is the key's PC scan code (set 1, what the keyboard controller
 * hands the system) with its prefix byte above it: 0x1E is A, 0x4B the
 * keypad's 4, 0xE04B the Left arrow (E0 4B), 0xE01D the right-hand Ctrl,
 * 0xE11D Pause (E1 1D 45). 0 is a key that has no such code.
 */
#pragma once

#include <cstdint>

enum {
  KeyCodeNone = 0,
  KeyCodeEscape = 0x01,   // the key that cancels a capture box
  KeyCodeE0 = 0xE000,     // prefix of the extended keys (right Ctrl and Alt, the arrow block, ...)
  KeyCodePause = 0xE11D,  // the one key with the E1 prefix
  KeyCodeNumLock = 0x45,
  KeyCodePrintScreen = 0xE037,
};

// ---- Windows ----------------------------------------------------------------------

// The key code of a WM_KEYDOWN or WM_SYSKEYDOWN: `virtualKey` is its wParam
// (0 when unknown), `keyData` the low 32 bits of its lParam (bits 16-23 the
// scan code, bit 24 the extended-key flag). Windows reports Num Lock as 0x45
// with the extended flag and Pause as 0x45 (or 0x1D) without it; both come
// out as the keyboard's own codes.
int keyCodeFromKeyMessage(unsigned virtualKey, uint32_t keyData);

// The lParam of the WM_KEYDOWN that Windows posts for the key, a single
// press: what a test driver sends to make a capture box see that key.
uint32_t keyMessageDataForKeyCode(int keyCode);

// The window class of the capture box in the Windows build, for a test
// driver to recognise it.
extern const char KeyCaptureWindowClass[];

// ---- Linux (X11 and Wayland) ------------------------------------------------------

// The key code of a Linux input-event key code (KEY_* of
// <linux/input-event-codes.h>); KeyCodeNone for keys no PC keyboard sends.
// Qt's nativeScanCode() on xcb and on wayland is the XKB keycode: this code + 8.
int keyCodeFromEvdev(int evdevCode);

// The input-event code of a key code (0 when there is none): for a test
// driver that delivers a key as the window system would.
int evdevCodeForKeyCode(int keyCode);

// How far XKB keycodes are from input-event codes.
enum { XkbKeycodeOffset = 8 };
