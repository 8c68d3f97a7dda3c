// Every key of the settings tables through the file and back: a value saved
// from a key's entry is read back into that entry and no other, and the
// default file restores every entry, however the record stood before. The
// golden file (settings_save_test.cpp) proves the keys' text and order.
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings_test_support.h"

namespace {

// A value for the key's entry that differs from its default and that the
// entry's rule keeps as it is; `seed` varies the bindings between keys.
void changeEntry(const SettingKey &key, int seed) {
  const SettingField &field = SettingFieldTable[key.field];
  SettingEntryRef entry = entryRefForKey(key, GameSettings);
  switch (field.kind) {
    case IntegerSetting: {
      int64_t low = field.rule.low, high = field.rule.high, around = key.defaultValue;
      for (int64_t candidate : {around + 1, around - 1, high, low}) {
        if (candidate != around && candidate >= INT32_MIN && candidate <= INT32_MAX &&
            applySettingRule(field.rule, static_cast<int32_t>(candidate)) == candidate) {
          *entry.integer = static_cast<int32_t>(candidate);
          return;
        }
      }
      ADD_FAILURE() << key.key << " keeps no value but its default";
      return;
    }
    case FunctionSetting: {
      const char *function = GameFunctionTable[(seed * 7 + 1) % GameFunctionCount];
      if (function == *entry.name) function = GameFunctionTable[(seed * 7 + 2) % GameFunctionCount];
      *entry.name = function;
      return;
    }
    case AnalogSetting:  // the next function, after the last one none
      *entry.integer = *entry.integer + 1 < AnalogFunctionCount ? *entry.integer + 1 : -1;
      return;
    case KeyBindingSetting: ADD_FAILURE() << key.key << " holds key bindings, which no listed key does"; return;
  }
}

// The key's value as the file holds it.
std::string fileText(const SettingKey &key, GameSettingsRecord &record) {
  const SettingField &field = SettingFieldTable[key.field];
  SettingEntryRef entry = entryRefForKey(key, record);
  if (field.kind == IntegerSetting) return std::to_string(*entry.integer);
  if (field.kind == FunctionSetting) return "\"" + std::string(*entry.name) + "\"";
  int32_t axis = *entry.integer;
  return "\"" + std::string(axis < 0 ? "" : AnalogFunctionTable[axis]) + "\"";
}

using SettingsTable = SettingsTest;

TEST_F(SettingsTable, EveryKeyCarriesItsOwnEntryThroughTheFile) {
  for (int k = 0; k < SettingKeyCount; ++k) {
    const SettingKey &key = SettingKeyTable[k];
    SCOPED_TRACE(key.key);
    resetProcessState();
    std::remove(ConfigFileName);
    changeEntry(key, k);
    GameSettingsRecord changed = GameSettings;
    ASSERT_TRUE(saveSettings());

    resetProcessState();
    loadSettings();
    expectSameSettings(GameSettings, changed);
    const SettingField &field = SettingFieldTable[key.field];
    const char *raw = configGetRaw(GameSettings.configHandle, field.section, key.key);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw, fileText(key, changed));
  }
}

TEST_F(SettingsTable, TheDefaultFileRestoresEveryEntry) {
  ASSERT_TRUE(saveSettings());
  const GameSettingsRecord defaults = startUpState();

  // Every entry away from its default at once, then the default file read
  // over it; the analog axes step through "none" as well.
  for (int round = 0; round < AnalogFunctionCount; ++round) {
    SCOPED_TRACE(round);
    for (int k = 0; k < SettingKeyCount; ++k) {
      for (int step = 0; step <= round; ++step) changeEntry(SettingKeyTable[k], k + step);
    }
    configFree(GameSettings.configHandle);
    GameSettings.configHandle = -1;
    loadSettings();
    expectSameSettings(GameSettings, defaults);
  }
}

// The record's initial values are the values a load gives for keys that are
// missing: a file with none of them leaves a changed record at its start.
TEST_F(SettingsTable, AFileWithoutTheKeysGivesTheInitialNumbers) {
  for (int k = 0; k < SettingKeyCount; ++k) changeEntry(SettingKeyTable[k], k);
  GameSettingsRecord changed = GameSettings;
  loadFrom("[Other]\nKey = 1\n");
  GameSettingsRecord initial;
  for (const SettingKey &key : SettingKeyTable) {
    SCOPED_TRACE(key.key);
    SettingEntryRef now = entryRefForKey(key, GameSettings);
    if (SettingFieldTable[key.field].kind == IntegerSetting) {
      EXPECT_EQ(*now.integer, *entryRefForKey(key, initial).integer);
    } else if (now.integer != nullptr) {
      EXPECT_EQ(*now.integer, *entryRefForKey(key, changed).integer);  // absent names keep the record's
    } else {
      EXPECT_EQ(*now.name, *entryRefForKey(key, changed).name);
    }
  }
}

}  // namespace
