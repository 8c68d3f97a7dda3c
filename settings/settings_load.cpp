// Reading gardum.cfg into GameSettings. Every value found is brought into its
// range silently; names the game does not know become unbound. The document
// stays held in configHandle so that a later save keeps what it does not manage.
#include <cerrno>

#include "settings/game_files.h"
#include "settings/settings_table.h"

namespace {

// The marker left in a name buffer's first byte when the key is absent: the
// query only writes the buffer when it finds the entry.
const char AbsentMarker = static_cast<char>(0xFF);

typedef char NameBuffer[SettingsNameBufferSize];

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

// An integer takes its default first, so that a key missing from the file
// resets it exactly as a missing file would leave it; a name that is absent
// keeps the binding the record holds.
void loadKey(const SettingKey &key) {
  const SettingField &field = SettingFieldTable[key.field];
  SettingEntryRef entry = entryRefForKey(key, GameSettings);
  NameBuffer name;
  switch (field.kind) {
    case IntegerSetting:
      *entry.integer = key.defaultValue;
      configGetInteger(GameSettings.configHandle, field.section, key.key, entry.integer);
      *entry.integer = applySettingRule(field.rule, *entry.integer);
      break;
    case FunctionSetting:
      if (readName(field.section, key.key, name)) *entry.name = gameFunctionName(name);
      break;
    case AnalogSetting:
      if (readName(field.section, key.key, name)) *entry.integer = findAnalogFunction(name);
      break;
    case KeyBindingSetting: break;  // no listed key holds key bindings (settings_record.cpp checks)
  }
}

void loadListedKeys(const char *section) {
  for (const SettingKey &key : SettingKeyTable) {
    if (SettingFieldTable[key.field].section == section) loadKey(key);
  }
}

// Walks the section's entries in file order; values are looked up by key, and
// entries that name no game function stay in the document untouched.
void loadFunctionNameKeys(const char *section) {
  ConfigHandle handle = GameSettings.configHandle;
  int count = configEntryCount(handle, section);
  for (int i = 0; i < count; ++i) {
    const char *key = configEntryKey(handle, section, i);
    int function = findGameFunction(key);
    if (function < 0) continue;
    const char **keys = KeyBindingsField.entry(GameSettings, function).keys;
    NameBuffer first = "";
    NameBuffer second = "";
    if (function == ConsoleFunction) {
      // The console takes a single key: a second name is not read, and the
      // secondary slot keeps whatever it held.
      configGetString(handle, section, key, first, sizeof first);
      keys[0] = findKeyName(first);
    } else {
      configGetStringPair(handle, section, key, first, sizeof first, second, sizeof second);
      keys[0] = findKeyName(first);
      keys[1] = findKeyName(second);
    }
  }
}

}  // namespace

int findConfigFile() {
  GameFileName found = findGameFile(".", ConfigFileName);
  GameSettings.configFileName = found.name;
  return found.variants;
}

void loadSettings() {
  const char *fileName = GameSettings.configFileName.c_str();
  // Stamped before it is read, and its bytes digested only once it could be
  // read whole (a file too big to hold is not read through). Should it have
  // changed in between, the stamp keeps no digest and the save will ask.
  ConfigFileStamp before;
  configStampFile(fileName, &before, false);
  GameSettings.configStamp = before;
  int error = 0;
  GameSettings.configHandle = configTryLoad(fileName, &error);
  ConfigFileStamp after;
  if (GameSettings.configHandle >= 0 && configStampFile(fileName, &after, true) == 0) {
    before.digest = after.digest;
    if (configSameStamp(&before, &after)) GameSettings.configStamp = after;
  }
  // Only a missing file means defaults and a fresh file on the first save.
  // One that is there but cannot be read (permissions, a folder in its
  // place, a failing disk) would be lost to a save of the defaults, so it
  // is remembered for saveSettings to refuse, and for start-up to say.
  if (error != 0 && error != ENOENT) GameSettings.configReadError = error;
  if (GameSettings.configHandle < 0) return;

  // Each read only fills its own entries, so the sections' order does not
  // matter here.
  for (const SettingSection &section : SettingSectionTable) {
    switch (section.keys) {
      case ListedKeys: loadListedKeys(section.name); break;
      case FunctionNameKeys: loadFunctionNameKeys(section.name); break;
    }
  }
}
