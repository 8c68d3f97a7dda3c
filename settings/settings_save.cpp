// Writing GameSettings back to gardum.cfg. Managed values are replaced in
// place in the held document, so everything else the file holds survives; a
// run without a file starts a new document seeded with the game's own entries.
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "settings/settings_table.h"

namespace {

// Settings the configurator does not edit but the game expects in a new file.
struct SeedEntry {
  const char *section;
  const char *key;
  int32_t value;
};

const SeedEntry SeedTable[] = {
    {ScreenSection, "Shadows", 1},
    {ScreenSection, "Detail", 1},
    {ScreenSection, "Tilt", 1},
    {ScreenSection, "Messages", 1},
    {SoundSection, "FXVolume", 200},
    {SoundSection, "MusicVolume", 200},
    {SoundSection, "SoundToggle", 1},
    {SoundSection, "VoiceToggle", 1},
    {SoundSection, "AmbienceToggle", 1},
    {SoundSection, "MusicToggle", 1},
    {ControlsSection, "MouseSensitivity", 0xB000},
};

void seedDocument(ConfigHandle handle) {
  const char *section = nullptr;
  for (const SeedEntry &seed : SeedTable) {
    if (seed.section != section) configAddSection(handle, section = seed.section);
    configPutInteger(handle, section, seed.key, seed.value, 0);
  }
}

// A binding left null (defaults never placed) is written as unbound rather
// than skipped, so the file always has every managed key.
const char *bindingName(const char *name) { return name != nullptr ? name : EmptyName; }

// Only indices of AnalogFunctionTable have a name; anything else (-1 above
// all) is written as no analog function instead of reading past the table.
const char *analogFunctionName(int32_t index) {
  return index >= 0 && index < AnalogFunctionCount ? AnalogFunctionTable[index] : EmptyName;
}

// The section's keys in the table's order.
void saveListedKeys(ConfigHandle handle, const char *section) {
  for (const SettingKey &key : SettingKeyTable) {
    const SettingField &field = SettingFieldTable[key.field];
    if (field.section != section) continue;
    SettingEntryRef entry = entryRefForKey(key, GameSettings);
    switch (field.kind) {
      case IntegerSetting: configPutInteger(handle, section, key.key, *entry.integer, 0); break;
      case FunctionSetting: configPutString(handle, section, key.key, bindingName(*entry.name)); break;
      case AnalogSetting: configPutString(handle, section, key.key, analogFunctionName(*entry.integer)); break;
      case KeyBindingSetting: break;  // no listed key holds key bindings (settings_record.cpp checks)
    }
  }
}

// Every game function's keys, in GameFunctionTable's order.
void saveFunctionNameKeys(ConfigHandle handle, const char *section) {
  for (int function = 0; function < GameFunctionCount; ++function) {
    const char *const *keys = KeyBindingsField.entry(GameSettings, function).keys;
    const char *primary = bindingName(keys[0]);
    if (function == ConsoleFunction) {
      configPutString(handle, section, GameFunctionTable[function], primary);
    } else {
      configPutStringPair(handle, section, GameFunctionTable[function], primary, bindingName(keys[1]));
    }
  }
}

// Each section is added (or found) before its keys are written, so sections
// the file lacks are appended in the table's order.
void saveSections(ConfigHandle handle) {
  for (const SettingSection &section : SettingSectionTable) {
    configAddSection(handle, section.name);
    switch (section.keys) {
      case ListedKeys: saveListedKeys(handle, section.name); break;
      case FunctionNameKeys: saveFunctionNameKeys(handle, section.name); break;
    }
  }
}

}  // namespace

// Whether a file start-up could not read is still there, which no save
// replaces.
static bool keepsUnreadFile() {
  if (GameSettings.configReadError == 0) return false;
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(GameSettings.configFileName, error));
}

bool saveSettings() {
  const char *fileName = GameSettings.configFileName.c_str();
  if (GameSettings.configHandle < 0) {
    ConfigHandle handle = configNew(fileName);
    // No free slot: nothing is written; the next save tries again.
    if (handle < 0) {
      errno = EMFILE;
      return false;
    }
    GameSettings.configHandle = handle;
    seedDocument(handle);
  }

  ConfigHandle handle = GameSettings.configHandle;
  saveSections(handle);
  // A file start-up could not read holds settings this run never saw: the
  // defaults must not take its place. Once it is gone, a save makes a new
  // file, which is this run's own from then on.
  if (keepsUnreadFile()) {
    errno = GameSettings.configReadError > 0 ? GameSettings.configReadError : EIO;
    return false;
  }
  if (!configSave(handle, fileName)) return false;
  GameSettings.configReadError = 0;
  return true;
}

namespace {

// Whether gardum.cfg is no longer the file the record's stamp describes.
// Only a file that can be stamped can be told changed; anything else in its
// place (a folder, a file that cannot be read) is the save's to refuse. Its
// bytes are read only when all else agrees, so a file that grew huge is not
// read through.
bool changedSinceRead() {
  const char *fileName = GameSettings.configFileName.c_str();
  if (GameSettings.configReadError != 0) return false;  // the save refuses it while it is there
  ConfigFileStamp now;
  if (configStampFile(fileName, &now, false) != 0 || !now.exists) return false;
  now.digest = GameSettings.configStamp.digest;
  if (!configSameStamp(&now, &GameSettings.configStamp)) return true;
  return configStampFile(fileName, &now, true) == 0 && !configSameStamp(&now, &GameSettings.configStamp);
}

}  // namespace

SaveOutcome saveSettingsChecked(bool replaceChanged, int *reason) {
  const char *fileName = GameSettings.configFileName.c_str();
  ConfigFileLock lock;
  int lockError = configLockFile(fileName, &lock);
  if (lockError != 0) {
    if (reason) *reason = lockError;
    return SaveFailed;
  }
  SaveOutcome outcome;
  if (!replaceChanged && changedSinceRead()) {
    outcome = SaveFileChanged;
  } else if (!saveSettings()) {
    int error = errno;
    // The reason the file could not be read is the reason it is kept.
    if (reason) *reason = keepsUnreadFile() ? GameSettings.configReadError : error;
    outcome = SaveFailed;
  } else {
    configStampFile(fileName, &GameSettings.configStamp, true);
    outcome = SaveWritten;
  }
  configUnlockFile(&lock);
  return outcome;
}
