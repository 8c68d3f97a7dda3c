// Writing GameSettings back to gardum.cfg. Managed values are replaced in
// place in the held document, so everything else the file holds survives; a
// run without a file starts a new document seeded with the game's own entries.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "settings/settings.h"

namespace {

const char ScreenSection[] = "Screen Setup";
const char SoundSection[] = "Sound Setup";
const char ControlsSection[] = "Controls";
const char KeySection[] = "KeyDefinitions";

// Settings the configurator does not edit but the game expects in a new file.
void seedDocument(ConfigHandle handle) {
  configAddSection(handle, ScreenSection);
  configPutInteger(handle, ScreenSection, "Shadows", 1, 0);
  configPutInteger(handle, ScreenSection, "Detail", 1, 0);
  configPutInteger(handle, ScreenSection, "Tilt", 1, 0);
  configPutInteger(handle, ScreenSection, "Messages", 1, 0);
  configAddSection(handle, SoundSection);
  configPutInteger(handle, SoundSection, "FXVolume", 200, 0);
  configPutInteger(handle, SoundSection, "MusicVolume", 200, 0);
  configPutInteger(handle, SoundSection, "SoundToggle", 1, 0);
  configPutInteger(handle, SoundSection, "VoiceToggle", 1, 0);
  configPutInteger(handle, SoundSection, "AmbienceToggle", 1, 0);
  configPutInteger(handle, SoundSection, "MusicToggle", 1, 0);
  configAddSection(handle, ControlsSection);
  configPutInteger(handle, ControlsSection, "MouseSensitivity", 0xB000, 0);
}

// A binding left null (defaults never placed) is written as unbound rather
// than skipped, so the file always has every managed key.
const char *bindingName(const char *name) { return name != nullptr ? name : EmptyName; }

// Only indices of AnalogFunctionTable have a name; anything else (-1 above
// all) is written as no analog function instead of reading past the table.
const char *analogFunctionName(int32_t index) {
  return index >= 0 && index < AnalogFunctionCount ? AnalogFunctionTable[index] : EmptyName;
}

void saveScreen(ConfigHandle handle) {
  configAddSection(handle, ScreenSection);
  configPutInteger(handle, ScreenSection, "ScreenMode", GameSettings.ScreenMode, 0);
  configPutInteger(handle, ScreenSection, "ScreenWidth", GameSettings.ScreenWidth, 0);
  configPutInteger(handle, ScreenSection, "ScreenHeight", GameSettings.ScreenHeight, 0);
  configPutInteger(handle, ScreenSection, "ScreenBPP", GameSettings.ScreenBPP, 0);
}

void saveSound(ConfigHandle handle) {
  configAddSection(handle, SoundSection);
  configPutInteger(handle, SoundSection, "FXDevice", GameSettings.FXDevice, 0);
  configPutInteger(handle, SoundSection, "NumVoices", GameSettings.NumVoices, 0);
  configPutInteger(handle, SoundSection, "NumBits", GameSettings.NumBits, 0);
  configPutInteger(handle, SoundSection, "NumChannels", GameSettings.NumChannels, 0);
  configPutInteger(handle, SoundSection, "MixRate", GameSettings.MixRate, 0);
  configPutInteger(handle, SoundSection, "MusicDevice", GameSettings.MusicDevice, 0);
}

void saveControls(ConfigHandle handle) {
  char key[32];

  configAddSection(handle, ControlsSection);
  configPutInteger(handle, ControlsSection, "ControllerType", GameSettings.ControllerType, 0);
  configPutInteger(handle, ControlsSection, "MouseAiming", GameSettings.MouseAiming, 0);

  // Each button's double click follows its single click; buttons 4 and 5
  // (the wheel) have no double click in the file.
  for (int b = 0; b < MouseButtonCount; ++b) {
    std::snprintf(key, sizeof key, "MouseButton%d", b);
    configPutString(handle, ControlsSection, key, bindingName(GameSettings.MouseButton[b]));
    if (b >= MouseDoubleClickCount) continue;
    std::snprintf(key, sizeof key, "MouseButtonClicked%d", b);
    configPutString(handle, ControlsSection, key, bindingName(GameSettings.MouseButtonClicked[b]));
  }

  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    std::snprintf(key, sizeof key, "MouseAnalogAxes%d", axis);
    configPutString(handle, ControlsSection, key, analogFunctionName(GameSettings.MouseAnalogAxes[axis]));
  }
  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    std::snprintf(key, sizeof key, "MouseAnalogScale%d", axis);
    configPutInteger(handle, ControlsSection, key, GameSettings.MouseAnalogScale[axis], 0);
  }
  for (int d = 0; d < MouseDirectionCount; ++d) {
    std::snprintf(key, sizeof key, "MouseDigitalAxes%d_%d", d / 2, d % 2);
    configPutString(handle, ControlsSection, key, bindingName(GameSettings.MouseDigitalAxes[d]));
  }
}

void saveKeyDefinitions(ConfigHandle handle) {
  configAddSection(handle, KeySection);
  for (int i = 0; i < GameFunctionCount; ++i) {
    const char *primary = bindingName(GameSettings.KeyBindings[i][0]);
    if (i == ConsoleFunction) {
      configPutString(handle, KeySection, GameFunctionTable[i], primary);
    } else {
      configPutStringPair(handle, KeySection, GameFunctionTable[i], primary,
                          bindingName(GameSettings.KeyBindings[i][1]));
    }
  }
}

}  // namespace

bool saveSettings() {
  if (GameSettings.configHandle < 0) {
    ConfigHandle handle = configNew(ConfigFileName);
    // No free slot: nothing is written; the next save tries again.
    if (handle < 0) return false;
    GameSettings.configHandle = handle;
    seedDocument(handle);
  }

  ConfigHandle handle = GameSettings.configHandle;
  saveScreen(handle);
  saveSound(handle);
  saveControls(handle);
  saveKeyDefinitions(handle);
  // A file start-up could not read holds settings this run never saw: the
  // defaults must not take its place. Once it is gone, a save makes a new
  // file, which is this run's own from then on.
  if (GameSettings.configReadError != 0) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(ConfigFileName, error))) return false;
  }
  if (!configSave(handle, ConfigFileName)) return false;
  GameSettings.configReadError = 0;
  return true;
}
