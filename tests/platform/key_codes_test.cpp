/* From a key as each system reports it to the game's name for it: Windows'
 * key messages and Linux's input-event codes turned into key codes
 * (platform/key_codes.h), and key codes into KeyNameTable's names
 * (keyNameForKeyCode). Every one of the 101 names must be reachable by
 * pressing its key, on both systems.
 */
#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/key_codes.h"
#include "settings/settings.h"

namespace {

// Windows virtual keys that the mapping reads.
constexpr unsigned VkPause = 0x13;
constexpr unsigned VkSnapshot = 0x2C;
constexpr unsigned VkNumLock = 0x90;

// A WM_KEYDOWN's lParam: one press, this scan code, the extended flag.
uint32_t keyData(int scan, bool extended) { return 1u | (uint32_t(scan) << 16) | (extended ? 1u << 24 : 0u); }

struct KeyRow {
  const char *name;
  unsigned virtualKey;  // only where Windows' scan code is not the key's own
  int scan;
  bool extended;
  int evdev;
};

// Each name of KeyNameTable once, with what Windows and Linux report for
// its key on a PC keyboard.
// clang-format off
const KeyRow EveryKey[] = {
    {"Escape", 0, 0x01, false, KEY_ESC},       {"1", 0, 0x02, false, KEY_1},
    {"2", 0, 0x03, false, KEY_2},              {"3", 0, 0x04, false, KEY_3},
    {"4", 0, 0x05, false, KEY_4},              {"5", 0, 0x06, false, KEY_5},
    {"6", 0, 0x07, false, KEY_6},              {"7", 0, 0x08, false, KEY_7},
    {"8", 0, 0x09, false, KEY_8},              {"9", 0, 0x0A, false, KEY_9},
    {"0", 0, 0x0B, false, KEY_0},              {"-", 0, 0x0C, false, KEY_MINUS},
    {"=", 0, 0x0D, false, KEY_EQUAL},          {"BakSpc", 0, 0x0E, false, KEY_BACKSPACE},
    {"Tab", 0, 0x0F, false, KEY_TAB},          {"Q", 0, 0x10, false, KEY_Q},
    {"W", 0, 0x11, false, KEY_W},              {"E", 0, 0x12, false, KEY_E},
    {"R", 0, 0x13, false, KEY_R},              {"T", 0, 0x14, false, KEY_T},
    {"Y", 0, 0x15, false, KEY_Y},              {"U", 0, 0x16, false, KEY_U},
    {"I", 0, 0x17, false, KEY_I},              {"O", 0, 0x18, false, KEY_O},
    {"P", 0, 0x19, false, KEY_P},              {"[", 0, 0x1A, false, KEY_LEFTBRACE},
    {"]", 0, 0x1B, false, KEY_RIGHTBRACE},     {"Enter", 0, 0x1C, false, KEY_ENTER},
    {"LCtrl", 0, 0x1D, false, KEY_LEFTCTRL},   {"A", 0, 0x1E, false, KEY_A},
    {"S", 0, 0x1F, false, KEY_S},              {"D", 0, 0x20, false, KEY_D},
    {"F", 0, 0x21, false, KEY_F},              {"G", 0, 0x22, false, KEY_G},
    {"H", 0, 0x23, false, KEY_H},              {"J", 0, 0x24, false, KEY_J},
    {"K", 0, 0x25, false, KEY_K},              {"L", 0, 0x26, false, KEY_L},
    {";", 0, 0x27, false, KEY_SEMICOLON},      {"'", 0, 0x28, false, KEY_APOSTROPHE},
    {"`", 0, 0x29, false, KEY_GRAVE},          {"LShift", 0, 0x2A, false, KEY_LEFTSHIFT},
    {"\\", 0, 0x2B, false, KEY_BACKSLASH},     {"Z", 0, 0x2C, false, KEY_Z},
    {"X", 0, 0x2D, false, KEY_X},              {"C", 0, 0x2E, false, KEY_C},
    {"V", 0, 0x2F, false, KEY_V},              {"B", 0, 0x30, false, KEY_B},
    {"N", 0, 0x31, false, KEY_N},              {"M", 0, 0x32, false, KEY_M},
    {",", 0, 0x33, false, KEY_COMMA},          {".", 0, 0x34, false, KEY_DOT},
    {"/", 0, 0x35, false, KEY_SLASH},          {"RShift", 0, 0x36, false, KEY_RIGHTSHIFT},
    {"Kpad*", 0, 0x37, false, KEY_KPASTERISK}, {"LAlt", 0, 0x38, false, KEY_LEFTALT},
    {"Space", 0, 0x39, false, KEY_SPACE},      {"CapLck", 0, 0x3A, false, KEY_CAPSLOCK},
    {"F1", 0, 0x3B, false, KEY_F1},            {"F2", 0, 0x3C, false, KEY_F2},
    {"F3", 0, 0x3D, false, KEY_F3},            {"F4", 0, 0x3E, false, KEY_F4},
    {"F5", 0, 0x3F, false, KEY_F5},            {"F6", 0, 0x40, false, KEY_F6},
    {"F7", 0, 0x41, false, KEY_F7},            {"F8", 0, 0x42, false, KEY_F8},
    {"F9", 0, 0x43, false, KEY_F9},            {"F10", 0, 0x44, false, KEY_F10},
    // Windows flags Num Lock as extended, though the keyboard sends a plain 45.
    {"NumLck", VkNumLock, 0x45, true, KEY_NUMLOCK},
    {"ScrLck", 0, 0x46, false, KEY_SCROLLLOCK},
    {"Kpad7", 0, 0x47, false, KEY_KP7},        {"Kpad8", 0, 0x48, false, KEY_KP8},
    {"Kpad9", 0, 0x49, false, KEY_KP9},        {"Kpad-", 0, 0x4A, false, KEY_KPMINUS},
    {"Kpad4", 0, 0x4B, false, KEY_KP4},        {"Kpad5", 0, 0x4C, false, KEY_KP5},
    {"Kpad6", 0, 0x4D, false, KEY_KP6},        {"Kpad+", 0, 0x4E, false, KEY_KPPLUS},
    {"Kpad1", 0, 0x4F, false, KEY_KP1},        {"Kpad2", 0, 0x50, false, KEY_KP2},
    {"Kpad3", 0, 0x51, false, KEY_KP3},        {"Kpad0", 0, 0x52, false, KEY_KP0},
    {"Kpad.", 0, 0x53, false, KEY_KPDOT},
    {"F11", 0, 0x57, false, KEY_F11},          {"F12", 0, 0x58, false, KEY_F12},
    {"KpdEnt", 0, 0x1C, true, KEY_KPENTER},    {"RCtrl", 0, 0x1D, true, KEY_RIGHTCTRL},
    {"Kpad/", 0, 0x35, true, KEY_KPSLASH},     {"RAlt", 0, 0x38, true, KEY_RIGHTALT},
    {"PrtScn", VkSnapshot, 0x37, true, KEY_SYSRQ},
    // Pause (E1 1D 45) comes as 45 without the extended flag.
    {"Pause", VkPause, 0x45, false, KEY_PAUSE},
    {"Home", 0, 0x47, true, KEY_HOME},         {"Up", 0, 0x48, true, KEY_UP},
    {"PgUp", 0, 0x49, true, KEY_PAGEUP},       {"Left", 0, 0x4B, true, KEY_LEFT},
    {"Right", 0, 0x4D, true, KEY_RIGHT},       {"End", 0, 0x4F, true, KEY_END},
    {"Down", 0, 0x50, true, KEY_DOWN},         {"PgDn", 0, 0x51, true, KEY_PAGEDOWN},
    {"Insert", 0, 0x52, true, KEY_INSERT},     {"Delete", 0, 0x53, true, KEY_DELETE},
};
// clang-format on

TEST(KeyCodes, TheTableHereNamesEveryKeyOnce) {
  std::map<std::string, int> seen;
  for (const KeyRow &row : EveryKey) ++seen[row.name];
  EXPECT_EQ(seen.size(), static_cast<size_t>(KeyNameCount));
  for (int k = 0; k < KeyNameCount; ++k) EXPECT_EQ(seen[KeyNameTable[k]], 1) << KeyNameTable[k];
}

TEST(KeyCodes, EveryKeyPressedOnWindowsHasItsName) {
  for (const KeyRow &row : EveryKey) {
    int code = keyCodeFromKeyMessage(row.virtualKey, keyData(row.scan, row.extended));
    EXPECT_STREQ(keyNameForKeyCode(code), row.name) << "scan 0x" << std::hex << row.scan << " code 0x" << code;
    EXPECT_EQ(keyNameForKeyCode(code), findKeyName(row.name));  // the table's own entry
  }
}

TEST(KeyCodes, EveryKeyPressedOnLinuxHasItsName) {
  for (const KeyRow &row : EveryKey) {
    int code = keyCodeFromEvdev(row.evdev);
    EXPECT_STREQ(keyNameForKeyCode(code), row.name) << "KEY_ code " << row.evdev;
  }
}

// What Windows sends for the keys with two faces: the virtual key settles
// them; without it the extended flag does.
TEST(KeyCodes, WindowsOddKeys) {
  const struct {
    const char *what;
    unsigned virtualKey;
    int scan;
    bool extended;
    const char *name;
  } cases[] = {
      {"Pause as 45", VkPause, 0x45, false, "Pause"},
      {"Pause as E1 1D", VkPause, 0x1D, false, "Pause"},
      {"Pause, no virtual key", 0, 0x45, false, "Pause"},
      {"Num Lock, no virtual key", 0, 0x45, true, "NumLck"},
      {"Print Screen", VkSnapshot, 0x37, true, "PrtScn"},
      {"Print Screen with Alt (SysRq)", VkSnapshot, 0x54, false, "PrtScn"},
      {"keypad 7 with Num Lock off (VK_HOME)", 0x24, 0x47, false, "Kpad7"},
      {"Home (VK_HOME)", 0x24, 0x47, true, "Home"},
      {"keypad point with Num Lock off (VK_DELETE)", 0x2E, 0x53, false, "Kpad."},
      {"the keypad's *", 0x6A, 0x37, false, "Kpad*"},
      {"right Shift, never extended", 0x10, 0x36, false, "RShift"},
  };
  for (const auto &c : cases) {
    EXPECT_STREQ(keyNameForKeyCode(keyCodeFromKeyMessage(c.virtualKey, keyData(c.scan, c.extended))), c.name) << c.what;
  }
}

// Keys a PC keyboard has but the game does not name, and codes of no key.
TEST(KeyCodes, KeysWithoutANameGiveTheEmptyName) {
  const struct {
    const char *what;
    int code;
  } cases[] = {
      {"left Windows key (Windows)", keyCodeFromKeyMessage(0x5B, keyData(0x5B, true))},
      {"left Windows key (Linux)", keyCodeFromEvdev(KEY_LEFTMETA)},
      {"menu key (Linux)", keyCodeFromEvdev(KEY_COMPOSE)},
      {"the 102nd key (Windows)", keyCodeFromKeyMessage(0xE2, keyData(0x56, false))},
      {"the 102nd key (Linux)", keyCodeFromEvdev(KEY_102ND)},
      {"a Linux key with no scan code", keyCodeFromEvdev(KEY_MUTE)},
      {"no Linux code", keyCodeFromEvdev(0)},
      {"no scan code (Windows)", keyCodeFromKeyMessage(0x41, keyData(0, false))},
      {"extended F11 (no such key)", keyCodeFromKeyMessage(0, keyData(0x57, true))},
  };
  for (const auto &c : cases) EXPECT_STREQ(keyNameForKeyCode(c.code), "") << c.what;
  EXPECT_EQ(keyCodeFromEvdev(KEY_MUTE), KeyCodeNone);
  EXPECT_EQ(keyCodeFromEvdev(-1), KeyCodeNone);
  EXPECT_EQ(keyCodeFromKeyMessage(0x41, keyData(0, false)), KeyCodeNone);
}

// What a test driver sends for a key is read back as that key, and as a
// fresh press (bit 30 clear: the capture box skips repeats).
TEST(KeyCodes, DriversDeliverEveryKeyAsItself) {
  for (const KeyRow &row : EveryKey) {
    int code = keyCodeFromEvdev(row.evdev);
    uint32_t data = keyMessageDataForKeyCode(code);
    EXPECT_EQ(keyCodeFromKeyMessage(0, data), code) << row.name;
    EXPECT_EQ(data & (1u << 30), 0u) << row.name;
    EXPECT_EQ(data & 0xFFFFu, 1u) << row.name;
    EXPECT_EQ(evdevCodeForKeyCode(code), row.evdev) << row.name;
  }
  EXPECT_EQ(evdevCodeForKeyCode(KeyCodeE0 | 0x5B), KEY_LEFTMETA);
  EXPECT_EQ(evdevCodeForKeyCode(0x54), 0);  // SysRq: Linux reports KEY_SYSRQ as Print Screen
}

}  // namespace
