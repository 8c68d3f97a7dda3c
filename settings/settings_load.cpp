// Reading gardum.cfg into GameSettings. Every value found is brought into its
// range silently; names the game does not know become unbound. The document
// stays held in configHandle so that a later save keeps what it does not manage.
#include <cerrno>
#include <cstdio>

#include "settings/settings.h"

namespace {

const char ScreenSection[] = "Screen Setup";
const char SoundSection[] = "Sound Setup";
const char ControlsSection[] = "Controls";
const char KeySection[] = "KeyDefinitions";

// The marker left in a name buffer's first byte when the key is absent: the
// query only writes the buffer when it finds the entry.
const char AbsentMarker = static_cast<char>(0xFF);

typedef char NameBuffer[SettingsNameBufferSize];

// The default first, so that a key missing from the file resets the field
// exactly as a missing file would leave it.
void readInteger(const char *section, const char *key, int32_t defaultValue, int32_t *field) {
  *field = defaultValue;
  configGetInteger(GameSettings.configHandle, section, key, field);
}

// True when the key is present. A name longer than the buffer is cut to fit;
// no table name comes near 63 characters, so a cut name is always unknown.
bool readName(const char *section, const char *key, NameBuffer &name) {
  name[0] = AbsentMarker;
  configGetString(GameSettings.configHandle, section, key, name, sizeof name);
  return name[0] != AbsentMarker;
}

const char *gameFunctionName(const char *name) {
  int function = findGameFunction(name);
  return function < 0 ? EmptyName : GameFunctionTable[function];
}

int32_t clampInteger(int32_t value, int32_t low, int32_t high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

void loadScreen() {
  readInteger(ScreenSection, "ScreenMode", 1, &GameSettings.ScreenMode);
  GameSettings.ScreenMode = clampInteger(GameSettings.ScreenMode, 0, 1);
  readInteger(ScreenSection, "ScreenWidth", 640, &GameSettings.ScreenWidth);
  readInteger(ScreenSection, "ScreenHeight", 480, &GameSettings.ScreenHeight);
  readInteger(ScreenSection, "ScreenBPP", 8, &GameSettings.ScreenBPP);
}

void loadSound() {
  readInteger(SoundSection, "FXDevice", 0, &GameSettings.FXDevice);
  if (GameSettings.FXDevice < 0) GameSettings.FXDevice = -1;
  readInteger(SoundSection, "NumVoices", 8, &GameSettings.NumVoices);
  readInteger(SoundSection, "NumBits", 8, &GameSettings.NumBits);
  if (GameSettings.NumBits != 8 && GameSettings.NumBits != 16) GameSettings.NumBits = 8;
  readInteger(SoundSection, "NumChannels", 2, &GameSettings.NumChannels);
  GameSettings.NumChannels = clampInteger(GameSettings.NumChannels, 1, 2);
  readInteger(SoundSection, "MixRate", 22050, &GameSettings.MixRate);
  readInteger(SoundSection, "MusicDevice", 0, &GameSettings.MusicDevice);
  if (GameSettings.MusicDevice < 0) GameSettings.MusicDevice = -1;
}

// Walks the section's entries in file order; values are looked up by key, and
// entries that name no game function stay in the document untouched.
void loadKeyDefinitions() {
  ConfigHandle handle = GameSettings.configHandle;
  int count = configEntryCount(handle, KeySection);
  for (int i = 0; i < count; ++i) {
    const char *key = configEntryKey(handle, KeySection, i);
    int function = findGameFunction(key);
    if (function < 0) continue;
    NameBuffer first = "";
    NameBuffer second = "";
    if (function == ConsoleFunction) {
      // The console takes a single key: a second name is not read, and the
      // secondary slot keeps whatever it held.
      configGetString(handle, KeySection, key, first, sizeof first);
      GameSettings.KeyBindings[function][0] = findKeyName(first);
    } else {
      configGetStringPair(handle, KeySection, key, first, sizeof first, second, sizeof second);
      GameSettings.KeyBindings[function][0] = findKeyName(first);
      GameSettings.KeyBindings[function][1] = findKeyName(second);
    }
  }
}

void loadControls() {
  char key[32];
  NameBuffer name;

  readInteger(ControlsSection, "ControllerType", 1, &GameSettings.ControllerType);
  if (GameSettings.ControllerType < 0) GameSettings.ControllerType = 0;

  for (int b = 0; b < MouseButtonCount; ++b) {
    std::snprintf(key, sizeof key, "MouseButton%d", b);
    if (readName(ControlsSection, key, name)) GameSettings.MouseButton[b] = gameFunctionName(name);
    if (b >= MouseDoubleClickCount) continue;
    std::snprintf(key, sizeof key, "MouseButtonClicked%d", b);
    if (readName(ControlsSection, key, name)) {
      GameSettings.MouseButtonClicked[b] = gameFunctionName(name);
    }
  }

  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    std::snprintf(key, sizeof key, "MouseAnalogAxes%d", axis);
    if (readName(ControlsSection, key, name)) {
      GameSettings.MouseAnalogAxes[axis] = findAnalogFunction(name);
    }
  }

  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    std::snprintf(key, sizeof key, "MouseAnalogScale%d", axis);
    readInteger(ControlsSection, key, 65536, &GameSettings.MouseAnalogScale[axis]);
    GameSettings.MouseAnalogScale[axis] = clampInteger(GameSettings.MouseAnalogScale[axis], -262144, 262144);
  }

  for (int d = 0; d < MouseDirectionCount; ++d) {
    std::snprintf(key, sizeof key, "MouseDigitalAxes%d_%d", d / 2, d % 2);
    if (readName(ControlsSection, key, name)) {
      GameSettings.MouseDigitalAxes[d] = gameFunctionName(name);
    }
  }

  readInteger(ControlsSection, "MouseAiming", 0, &GameSettings.MouseAiming);
  GameSettings.MouseAiming = GameSettings.MouseAiming > 0 ? 1 : 0;
}

}  // namespace

void loadSettings() {
  int error = 0;
  GameSettings.configHandle = configTryLoad(ConfigFileName, &error);
  // Only a missing file means defaults and a fresh file on the first save.
  // One that is there but cannot be read (permissions, a folder in its
  // place, a failing disk) would be lost to a save of the defaults, so it
  // is remembered for saveSettings to refuse, and for start-up to say.
  if (error != 0 && error != ENOENT) GameSettings.configReadError = error;
  if (GameSettings.configHandle < 0) return;

  loadScreen();
  loadSound();
  loadKeyDefinitions();
  loadControls();
}
