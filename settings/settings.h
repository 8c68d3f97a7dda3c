// Game settings: the fixed name tables with the default bindings, the one
// process-wide settings record, and its mapping to and from gardum.cfg.
#pragma once

#include <cstdint>
#include <string>

#include "config/config.h"

enum {
  GameFunctionCount = 53,
  KeyNameCount = 101,
  MouseButtonCount = 6,
  MouseDoubleClickCount = 4,  // only buttons 0..3 have a double-click binding
  MouseAxisCount = 2,
  MouseDirectionCount = 4,  // 0 left, 1 right, 2 up, 3 down
  AnalogFunctionCount = 3,
  ControllerTypeCount = 3,
  ConsoleFunction = 52,  // "Show_Console": takes a single key
  SettingsNameBufferSize = 64,
};

// ---- Name tables (constant) ------------------------------------------------

// The one empty name: a binding that holds it is unbound.
extern const char EmptyName[];

struct DefaultKeyBinding {
  const char *function;
  const char *primary;
  const char *secondary;
};

extern const char *const GameFunctionTable[GameFunctionCount];
extern const DefaultKeyBinding DefaultKeyBindingTable[GameFunctionCount];
extern const char *const KeyNameTable[KeyNameCount];
extern const char *const MouseButtonNameTable[MouseButtonCount];
extern const char *const ControllerTypeNameTable[ControllerTypeCount];
extern const char *const DefaultMouseButtonTable[MouseButtonCount];
extern const char *const DefaultMouseButtonClickedTable[MouseButtonCount];
// The axes' defaults are the settings table's (settings/settings_table.h).
extern const char *const DefaultMouseAnalogTable[MouseAxisCount];
extern const char *const DefaultMouseDigitalTable[MouseDirectionCount];

// Defined here rather than with the other tables: the settings table looks
// up its analog axes' defaults in it at compile time.
// clang-format off
inline constexpr const char *const AnalogFunctionTable[AnalogFunctionCount] = {
    "analog_turning", "analog_strafing", "analog_moving",
};
// clang-format on

// Equal texts, for the tables' compile-time checks and lookups.
consteval bool sameTableText(const char *a, const char *b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// Index of the analog function spelt exactly `name`; a name that is none of
// them stops the build.
consteval int32_t analogFunctionNamed(const char *name) {
  for (int32_t i = 0; i < AnalogFunctionCount; ++i) {
    if (sameTableText(AnalogFunctionTable[i], name)) return i;
  }
  throw "no analog function has this name";
}

// Index 0..52 of the function equal to `name` ignoring case, or -1.
int findGameFunction(const char *name);
// The KeyNameTable entry itself equal to `name` ignoring case, or EmptyName.
const char *findKeyName(const char *name);
// Index 0..2 of the analog function equal to `name` ignoring case, or -1.
int findAnalogFunction(const char *name);
// The KeyNameTable entry of the key with this key code (its PC scan code,
// set 1, with its E0 or E1 prefix byte above it: 0x1E "A", 0xE01D "RCtrl"),
// or EmptyName for a key the game has no name for.
const char *keyNameForKeyCode(int32_t keyCode);

// ---- The settings record -----------------------------------------------------

// The configuration file, relative: looked for in the current folder.
extern const char ConfigFileName[];  // "gardum.cfg"

// Every binding refers to a table string or to EmptyName; no binding owns
// its text. A new record holds each setting's default (SettingKeyTable in
// settings/settings_table.h), every mouse binding unbound and no key bindings;
// start-up then places the default bindings.
struct GameSettingsRecord {
  GameSettingsRecord();

  // "Screen Setup"
  int32_t ScreenMode;
  int32_t ScreenWidth;
  int32_t ScreenHeight;
  int32_t ScreenBPP;
  // "Sound Setup"
  int32_t FXDevice;
  int32_t NumVoices;
  int32_t NumBits;
  int32_t NumChannels;
  int32_t MixRate;
  int32_t MusicDevice;
  // "Controls"
  int32_t ControllerType;
  int32_t MouseAiming;
  int32_t MouseAnalogScale[MouseAxisCount];
  int32_t MouseAnalogAxes[MouseAxisCount];  // AnalogFunctionTable indices; -1: none
  const char *MouseDigitalAxes[MouseDirectionCount];
  const char *MouseButton[MouseButtonCount];
  const char *MouseButtonClicked[MouseButtonCount];  // only 0..3 are in the file
  // "KeyDefinitions": [function][0] primary, [function][1] secondary.
  const char *KeyBindings[GameFunctionCount][2] = {};
  // Run time only.
  bool configChanged = false;
  bool runGameOnExit = false;
  ConfigHandle configHandle = -1;
  // Non-zero when gardum.cfg exists but could not be read: the reason, as
  // fileReadWhole gives it (config/support.h). No save replaces such a file;
  // cleared by a save that wrote a new one after it was gone.
  int configReadError = 0;
  // gardum.cfg as start-up read it, or as the last save wrote it: a save
  // compares it with what is there now, so that another program's change
  // since then is not written over unasked.
  ConfigFileStamp configStamp = {};
  // The name gardum.cfg has in the current folder, in its own letter case
  // (findConfigFile): loads and saves use it.
  std::string configFileName = ConfigFileName;
  void *appInstance = nullptr;  // the module holding the dialog templates (HINSTANCE)
};

extern GameSettingsRecord GameSettings;

// Places the default bindings into GameSettings (start-up steps 3 to 6).
void placeDefaultBindings();
// Only the key bindings' part of it: both keys of every game function.
void placeDefaultKeyBindings();
// Finds gardum.cfg in the current folder in any letter case, as the game
// does (settings/game_files.h), and has loads and saves use the name found.
// Answers how many names there differ from it only in letter case.
int findConfigFile();
// Fills GameSettings from gardum.cfg, when it exists; keeps the document in
// configHandle for a later save. A file that exists but cannot be read is
// recorded in configReadError and leaves the defaults in place.
void loadSettings();
// Writes every managed field into the held document (a new, seeded one when
// none is held) and saves gardum.cfg. True when the file was written; false,
// writing nothing, while a file start-up could not read is still there. On
// false errno says why: configSave's reason, the reason start-up could not
// read the file that is kept (EIO when that was no errno value), or EMFILE
// when no document could be had.
bool saveSettings();
// The configurator's save: saveSettings while it holds gardum.cfg's lock,
// and only over the file start-up read or the last save wrote, unless
// `replaceChanged`. A file that is gone since is written anew; one that was
// not there at start-up but is now counts as changed. After SaveFailed,
// *reason (when given) holds saveSettings' errno, EWOULDBLOCK when another
// program kept the file locked, or configReadError for a file kept because
// start-up could not read it.
enum SaveOutcome {
  SaveWritten,
  SaveFailed,       // nothing written: see saveSettings, or the lock was held elsewhere
  SaveFileChanged,  // another program changed gardum.cfg since: nothing written
};
SaveOutcome saveSettingsChecked(bool replaceChanged, int *reason = nullptr);
