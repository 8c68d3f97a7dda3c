// The fixed name tables of gardum.cfg (game functions, keys, mouse buttons,
// controller types; the analog functions are in settings.h), the default
// bindings, and the three lookups that turn names read from the file into
// table entries.
//
// The tables are constexpr here so that the default tables can be built from
// the name tables' own strings at compile time: a binding is always one of
// these pointers (or EmptyName), never an equal copy.
#include "settings/settings_table.h"

constexpr char EmptyName[] = "";

// clang-format off
constexpr const char *const GameFunctionTable[GameFunctionCount] = {
    "Move_Forward", "Move_Backward", "Turn_Left", "Turn_Right", "Strafe",
    "Fire", "Open", "Run", "AutoRun", "Jump",
    "Crouch", "Look_Up", "Look_Down", "Look_Left", "Look_Right",
    "Strafe_Left", "Strafe_Right", "Aim_Up", "Aim_Down", "Weapon_1",
    "Weapon_2", "Weapon_3", "Weapon_4", "Weapon_5", "Weapon_6",
    "Weapon_7", "Weapon_8", "Weapon_9", "Weapon_10", "Inventory",
    "Inventory_Left", "Inventory_Right", "Holo_Brax", "Jetpack", "NightVision",
    "MedKit", "TurnAround", "SendMessage", "Map", "Shrink_Screen",
    "Enlarge_Screen", "Center_View", "Holster_Weapon", "Show_Opponents_Weapon", "Map_Follow_Mode",
    "See_Coop_View", "Mouse_Aiming", "Toggle_Crosshair", "Steroids", "Quick_Kick",
    "Next_Weapon", "Previous_Weapon", "Show_Console",
};

// Entries 0..82 are the PC scan codes 1..83 in order; then F11, F12 and the
// extended keys.
constexpr const char *const KeyNameTable[KeyNameCount] = {
    "Escape", "1", "2", "3", "4", "5", "6", "7", "8", "9",                    // 0
    "0", "-", "=", "BakSpc", "Tab", "Q", "W", "E", "R", "T",                  // 10
    "Y", "U", "I", "O", "P", "[", "]", "Enter", "LCtrl", "A",                 // 20
    "S", "D", "F", "G", "H", "J", "K", "L", ";", "'",                         // 30
    "`", "LShift", "\\", "Z", "X", "C", "V", "B", "N", "M",                   // 40
    ",", ".", "/", "RShift", "Kpad*", "LAlt", "Space", "CapLck", "F1", "F2",  // 50
    "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "NumLck", "ScrLck",      // 60
    "Kpad7", "Kpad8", "Kpad9", "Kpad-", "Kpad4", "Kpad5", "Kpad6", "Kpad+", "Kpad1", "Kpad2",  // 70
    "Kpad3", "Kpad0", "Kpad.", "F11", "F12", "KpdEnt", "RCtrl", "Kpad/", "RAlt", "PrtScn",     // 80
    "Pause", "Home", "Up", "PgUp", "Left", "Right", "End", "Down", "PgDn", "Insert",           // 90
    "Delete",                                                                                  // 100
};

constexpr const char *const MouseButtonNameTable[MouseButtonCount] = {
    "Left", "Right", "Middle", "Thumb", "WheelDn", "WheelUp",
};

constexpr const char *const ControllerTypeNameTable[ControllerTypeCount] = {
    "Keyboard only", "Keyboard and Mouse", "Keyboard and Joystick",
};
// clang-format on

namespace {

// The table's own string for a name spelt exactly as in the table; a name
// that is not there yields null, which the checks below turn into a build error.
consteval const char *fn(const char *name) {
  for (const char *entry : GameFunctionTable) {
    if (sameTableText(entry, name)) return entry;
  }
  return nullptr;
}

consteval const char *key(const char *name) {
  for (const char *entry : KeyNameTable) {
    if (sameTableText(entry, name)) return entry;
  }
  return nullptr;
}

// An analog axis's default as a name: the settings table holds it as an
// index (settings/settings_table.h), written there by name.
consteval const char *defaultAnalogFunction(int axis) {
  for (const SettingKey &key : SettingKeyTable) {
    if (SettingFieldTable[key.field].kind == AnalogSetting && key.entry == axis) {
      return key.defaultValue < 0 ? EmptyName : AnalogFunctionTable[key.defaultValue];
    }
  }
  return nullptr;
}

// The three keypad defaults that the game has always written with a capital P.
// They are not table entries: a loaded file replaces them with the table's form.
constexpr char KPad5[] = "KPad5";
constexpr char KPad6[] = "KPad6";
constexpr char KPad7[] = "KPad7";

}  // namespace

// clang-format off
constexpr DefaultKeyBinding DefaultKeyBindingTable[GameFunctionCount] = {
    {fn("Move_Forward"), key("Up"), key("Kpad8")},
    {fn("Move_Backward"), key("Down"), key("Kpad2")},
    {fn("Turn_Left"), key("Left"), key("Kpad4")},
    {fn("Turn_Right"), key("Right"), KPad6},
    {fn("Strafe"), key("LAlt"), key("RAlt")},
    {fn("Fire"), key("LCtrl"), key("RCtrl")},
    {fn("Open"), key("Space"), EmptyName},
    {fn("Run"), key("LShift"), key("RShift")},
    {fn("AutoRun"), key("CapLck"), EmptyName},
    {fn("Jump"), key("A"), key("/")},
    {fn("Crouch"), key("Z"), EmptyName},
    {fn("Look_Up"), key("PgUp"), key("Kpad9")},
    {fn("Look_Down"), key("PgDn"), key("Kpad3")},
    {fn("Look_Left"), key("Insert"), key("Kpad0")},
    {fn("Look_Right"), key("Delete"), key("Kpad.")},
    {fn("Strafe_Left"), key(","), EmptyName},
    {fn("Strafe_Right"), key("."), EmptyName},
    {fn("Aim_Up"), key("Home"), KPad7},
    {fn("Aim_Down"), key("End"), key("Kpad1")},
    {fn("Weapon_1"), key("1"), EmptyName},
    {fn("Weapon_2"), key("2"), EmptyName},
    {fn("Weapon_3"), key("3"), EmptyName},
    {fn("Weapon_4"), key("4"), EmptyName},
    {fn("Weapon_5"), key("5"), EmptyName},
    {fn("Weapon_6"), key("6"), EmptyName},
    {fn("Weapon_7"), key("7"), EmptyName},
    {fn("Weapon_8"), key("8"), EmptyName},
    {fn("Weapon_9"), key("9"), EmptyName},
    {fn("Weapon_10"), key("0"), EmptyName},
    {fn("Inventory"), key("Enter"), key("KpdEnt")},
    {fn("Inventory_Left"), key("["), EmptyName},
    {fn("Inventory_Right"), key("]"), EmptyName},
    {fn("Holo_Brax"), key("H"), EmptyName},
    {fn("Jetpack"), key("J"), EmptyName},
    {fn("NightVision"), key("N"), EmptyName},
    {fn("MedKit"), key("M"), EmptyName},
    {fn("TurnAround"), key("BakSpc"), EmptyName},
    {fn("SendMessage"), key("T"), EmptyName},
    {fn("Map"), key("Tab"), EmptyName},
    {fn("Shrink_Screen"), key("-"), key("Kpad-")},
    {fn("Enlarge_Screen"), key("="), key("Kpad+")},
    {fn("Center_View"), KPad5, EmptyName},
    {fn("Holster_Weapon"), key("ScrLck"), EmptyName},
    {fn("Show_Opponents_Weapon"), key("W"), EmptyName},
    {fn("Map_Follow_Mode"), key("F"), EmptyName},
    {fn("See_Coop_View"), key("K"), EmptyName},
    {fn("Mouse_Aiming"), key("U"), EmptyName},
    {fn("Toggle_Crosshair"), key("I"), EmptyName},
    {fn("Steroids"), key("R"), EmptyName},
    {fn("Quick_Kick"), key("`"), EmptyName},
    {fn("Next_Weapon"), key("'"), EmptyName},
    {fn("Previous_Weapon"), key(";"), EmptyName},
    {fn("Show_Console"), key("NumLck"), EmptyName},  // the console takes a single key
};

constexpr const char *const DefaultMouseButtonTable[MouseButtonCount] = {
    fn("Fire"), fn("Strafe"), fn("Move_Forward"), EmptyName, EmptyName, EmptyName,
};

constexpr const char *const DefaultMouseButtonClickedTable[MouseButtonCount] = {
    EmptyName, fn("Open"), EmptyName, EmptyName, EmptyName, EmptyName,
};

constexpr const char *const DefaultMouseAnalogTable[MouseAxisCount] = {
    defaultAnalogFunction(0), defaultAnalogFunction(1),
};

constexpr const char *const DefaultMouseDigitalTable[MouseDirectionCount] = {
    EmptyName, EmptyName, EmptyName, EmptyName,
};
// clang-format on

namespace {

// Every default row must name its own function, and every name must have
// resolved; a misspelt name stops the build here rather than binding nothing.
consteval bool defaultTablesResolve() {
  for (int i = 0; i < GameFunctionCount; ++i) {
    const DefaultKeyBinding &row = DefaultKeyBindingTable[i];
    if (row.function != GameFunctionTable[i] || row.primary == nullptr || row.secondary == nullptr) {
      return false;
    }
  }
  for (const char *axis : DefaultMouseAnalogTable) {
    if (axis == nullptr) return false;
  }
  for (int b = 0; b < MouseButtonCount; ++b) {
    if (DefaultMouseButtonTable[b] == nullptr || DefaultMouseButtonClickedTable[b] == nullptr) {
      return false;
    }
  }
  return true;
}
static_assert(defaultTablesResolve(), "a default binding names no table entry");

// ASCII letters fold; every other byte compares as itself.
bool sameNameIgnoringCase(const char *a, const char *b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == '\0') return true;
  }
}

int findInTable(const char *const *table, int count, const char *name) {
  if (name == nullptr) return -1;
  for (int i = 0; i < count; ++i) {
    if (sameNameIgnoringCase(table[i], name)) return i;
  }
  return -1;
}

}  // namespace

int findGameFunction(const char *name) { return findInTable(GameFunctionTable, GameFunctionCount, name); }

const char *findKeyName(const char *name) {
  int index = findInTable(KeyNameTable, KeyNameCount, name);
  return index < 0 ? EmptyName : KeyNameTable[index];
}

int findAnalogFunction(const char *name) { return findInTable(AnalogFunctionTable, AnalogFunctionCount, name); }

// ---- Keys by their scan codes --------------------------------------------------
// A key code is the key's PC scan code (set 1) with its prefix byte above it:
// 0x1E is "A", 0xE01D (E0 1D) "RCtrl", 0xE11D (E1 1D 45) "Pause". The codes
// 1 to 83 are KeyNameTable's entries 0 to 82; this table names the rest.

namespace {

struct KeyCodeName {
  int32_t keyCode;
  const char *name;
};

constexpr int32_t LastPlainScanCode = 83;  // "Kpad." (0x53)

// clang-format off
constexpr KeyCodeName ExtendedKeyCodeTable[] = {
    {0x54, key("PrtScn")},    // SysRq: Print Screen with Alt held
    {0x57, key("F11")},
    {0x58, key("F12")},
    {0xE01C, key("KpdEnt")},
    {0xE01D, key("RCtrl")},
    {0xE035, key("Kpad/")},
    {0xE037, key("PrtScn")},
    {0xE038, key("RAlt")},
    {0xE047, key("Home")},
    {0xE048, key("Up")},
    {0xE049, key("PgUp")},
    {0xE04B, key("Left")},
    {0xE04D, key("Right")},
    {0xE04F, key("End")},
    {0xE050, key("Down")},
    {0xE051, key("PgDn")},
    {0xE052, key("Insert")},
    {0xE053, key("Delete")},
    {0xE11D, key("Pause")},
};
// clang-format on

// Every name resolved, no code listed twice or among the plain ones, and
// every key of the table reachable from some code: a player can press any
// key the game knows.
consteval bool keyCodeTableIsComplete() {
  for (const KeyCodeName &a : ExtendedKeyCodeTable) {
    if (a.name == nullptr || (a.keyCode >= 1 && a.keyCode <= LastPlainScanCode)) return false;
    for (const KeyCodeName &b : ExtendedKeyCodeTable) {
      if (&a != &b && a.keyCode == b.keyCode) return false;
    }
  }
  for (int k = 0; k < KeyNameCount; ++k) {
    bool reached = k < LastPlainScanCode;
    for (const KeyCodeName &entry : ExtendedKeyCodeTable)
      reached = reached || sameTableText(entry.name, KeyNameTable[k]);
    if (!reached) return false;
  }
  return true;
}
static_assert(keyCodeTableIsComplete(), "a key code table entry is wrong, or a key name has no code");
static_assert(sameTableText(KeyNameTable[LastPlainScanCode - 1], "Kpad."),
              "scan codes 1..83 end at the keypad's point");

}  // namespace

const char *keyNameForKeyCode(int32_t keyCode) {
  if (keyCode >= 1 && keyCode <= LastPlainScanCode) return KeyNameTable[keyCode - 1];
  for (const KeyCodeName &entry : ExtendedKeyCodeTable) {
    if (entry.keyCode == keyCode) return entry.name;
  }
  return EmptyName;
}
