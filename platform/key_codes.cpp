/* Key codes from each system's report of a key press (platform/key_codes.h).
 *
 * Windows. A WM_KEYDOWN's or WM_SYSKEYDOWN's lParam holds the scan code in
 * bits 16-23 and, in bit 24, whether the key is an extended one, that is one
 * whose scan code the keyboard sends after an E0 byte (Microsoft: the
 * WM_KEYDOWN / WM_SYSDEADCHAR lParam tables, and KEYBDINPUT's
 * KEYEVENTF_EXTENDEDKEY, "the scan code consists of a sequence of two bytes,
 * where the first byte has a value of 0xE0"). The extended keys are the
 * right-hand Alt and Ctrl, Insert, Delete, Home, End, Page Up, Page Down, the
 * arrows, and the keypad's / and Enter ([MS-RDPBCGR] 2.2.8.1.2.2.1,
 * TS_FP_KEYBOARD_EVENT). Two keys break the rule: Pause sends E1 1D 45 (the
 * same document: Ctrl 0x1D with the E1 flag, then 0x45), and Windows reports
 * it as virtual key VK_PAUSE with scan code 0x45 (or 0x1D) and no extended
 * flag; Num Lock, whose own code is a plain 0x45, arrives with the extended
 * flag set. Print Screen is E0 37, and with Alt held the old SysRq code 0x54.
 *
 * Linux. The input layer's KEY_* codes 1 to 83 are the scan codes 1 to 83;
 * the keys after them have codes of their own (<linux/input-event-codes.h>).
 */
#include "platform/key_codes.h"

namespace {

// Windows virtual keys whose scan code in the message cannot be trusted.
constexpr unsigned VirtualKeyPause = 0x13;
constexpr unsigned VirtualKeyNumLock = 0x90;

constexpr uint32_t ExtendedKeyFlag = 1u << 24;

struct EvdevKey {
  int evdevCode;
  int keyCode;
};

// Input-event codes past KEY_KPDOT (83), with the scan code the same key
// sends on a PC keyboard.
constexpr EvdevKey EvdevKeys[] = {
    {86, 0x56},                // KEY_102ND: the extra key left of Z on 102-key keyboards
    {87, 0x57},                // KEY_F11
    {88, 0x58},                // KEY_F12
    {96, KeyCodeE0 | 0x1C},    // KEY_KPENTER
    {97, KeyCodeE0 | 0x1D},    // KEY_RIGHTCTRL
    {98, KeyCodeE0 | 0x35},    // KEY_KPSLASH
    {99, KeyCodePrintScreen},  // KEY_SYSRQ: Print Screen, with or without Alt
    {100, KeyCodeE0 | 0x38},   // KEY_RIGHTALT (AltGr)
    {102, KeyCodeE0 | 0x47},   // KEY_HOME
    {103, KeyCodeE0 | 0x48},   // KEY_UP
    {104, KeyCodeE0 | 0x49},   // KEY_PAGEUP
    {105, KeyCodeE0 | 0x4B},   // KEY_LEFT
    {106, KeyCodeE0 | 0x4D},   // KEY_RIGHT
    {107, KeyCodeE0 | 0x4F},   // KEY_END
    {108, KeyCodeE0 | 0x50},   // KEY_DOWN
    {109, KeyCodeE0 | 0x51},   // KEY_PAGEDOWN
    {110, KeyCodeE0 | 0x52},   // KEY_INSERT
    {111, KeyCodeE0 | 0x53},   // KEY_DELETE
    {119, KeyCodePause},       // KEY_PAUSE
    {125, KeyCodeE0 | 0x5B},   // KEY_LEFTMETA (the left Windows key)
    {126, KeyCodeE0 | 0x5C},   // KEY_RIGHTMETA
    {127, KeyCodeE0 | 0x5D},   // KEY_COMPOSE (the menu key)
};

// KEY_ESC (1) to KEY_KPDOT (83) are the scan codes themselves.
constexpr int LastPlainEvdevCode = 83;

consteval bool evdevKeysAreDistinct() {
  for (const EvdevKey &a : EvdevKeys) {
    if (a.evdevCode <= LastPlainEvdevCode) return false;
    for (const EvdevKey &b : EvdevKeys) {
      if (&a != &b && (a.evdevCode == b.evdevCode || a.keyCode == b.keyCode)) return false;
    }
  }
  return true;
}
static_assert(evdevKeysAreDistinct(), "an input-event code or a key code is listed twice");

}  // namespace

const char KeyCaptureWindowClass[] = "TarrengardKeyCapture";

int keyCodeFromKeyMessage(unsigned virtualKey, uint32_t keyData) {
  int scan = static_cast<int>((keyData >> 16) & 0xFF);
  bool extended = (keyData & ExtendedKeyFlag) != 0;
  if (virtualKey == VirtualKeyPause) return KeyCodePause;
  if (virtualKey == VirtualKeyNumLock) return KeyCodeNumLock;
  // Without the virtual key, the flag tells the two apart: Windows sets it
  // for Num Lock, not for Pause.
  if (scan == 0x45) return extended ? KeyCodeNumLock : KeyCodePause;
  if (scan == 0) return KeyCodeNone;
  return extended ? (KeyCodeE0 | scan) : scan;
}

uint32_t keyMessageDataForKeyCode(int keyCode) {
  int scan = keyCode & 0xFF;
  bool extended = (keyCode & 0xFF00) == KeyCodeE0;
  if (keyCode == KeyCodePause) {
    scan = 0x45;
    extended = false;
  } else if (keyCode == KeyCodeNumLock) {
    extended = true;
  }
  return 1u | (static_cast<uint32_t>(scan) << 16) | (extended ? ExtendedKeyFlag : 0u);
}

int keyCodeFromEvdev(int evdevCode) {
  if (evdevCode >= 1 && evdevCode <= LastPlainEvdevCode) return evdevCode;
  for (const EvdevKey &key : EvdevKeys) {
    if (key.evdevCode == evdevCode) return key.keyCode;
  }
  return KeyCodeNone;
}

int evdevCodeForKeyCode(int keyCode) {
  if (keyCode >= 1 && keyCode <= LastPlainEvdevCode) return keyCode;
  for (const EvdevKey &key : EvdevKeys) {
    if (key.keyCode == keyCode) return key.evdevCode;
  }
  return 0;
}
