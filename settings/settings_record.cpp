// The one process-wide settings record, its initial values from the settings
// tables, and the start-up placement of the default bindings into it.
#include "settings/settings_table.h"

namespace {

consteval char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

consteval bool sameKeyIgnoringCase(const char *a, const char *b) {
  while (*a != '\0' && foldCase(*a) == foldCase(*b)) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// Every key names an entry that exists; the key bindings are no field of
// SettingFieldTable, and the function names are their keys.
consteval bool keysNameEntries() {
  for (const SettingKey &key : SettingKeyTable) {
    if (key.field < 0 || key.entry < 0 || key.entry >= SettingFieldTable[key.field].count) return false;
  }
  for (const SettingField &field : SettingFieldTable) {
    if (field.kind == KeyBindingSetting) return false;
  }
  return KeyBindingsField.count == GameFunctionCount;
}
static_assert(keysNameEntries(), "a key names no field entry");

// A key is its field's name followed, for an array, by the entry's number; a
// digital direction's number is written as its axis and side, "1_0".
consteval bool keySpellsItsEntry(const SettingKey &key) {
  const SettingField &field = SettingFieldTable[key.field];
  const char *rest = key.key;
  for (const char *name = field.name; *name != '\0'; ++name, ++rest) {
    if (*rest != *name) return false;
  }
  if (!field.isArray) return *rest == '\0';
  int numbers[2] = {0, 0};
  int count = 0;
  while (count < 2) {
    if (*rest < '0' || *rest > '9') return false;
    while (*rest >= '0' && *rest <= '9') numbers[count] = numbers[count] * 10 + (*rest++ - '0');
    ++count;
    if (*rest == '\0') break;
    if (*rest++ != '_') return false;
  }
  if (*rest != '\0') return false;
  int sides = MouseDirectionCount / MouseAxisCount;
  return key.entry == (count == 1 ? numbers[0] : numbers[0] * sides + numbers[1]);
}

consteval bool keysSpellTheirEntries() {
  for (const SettingKey &key : SettingKeyTable) {
    if (!keySpellsItsEntry(key)) return false;
  }
  return true;
}
static_assert(keysSpellTheirEntries(), "a key's name does not match the field entry it holds");

// Keys differ even ignoring case (the file's lookups ignore it), no entry
// has two keys, and every number has one, so each gets its default.
consteval bool keysAreOnePerEntry() {
  for (int i = 0; i < SettingKeyCount; ++i) {
    for (int j = i + 1; j < SettingKeyCount; ++j) {
      const SettingKey &a = SettingKeyTable[i];
      const SettingKey &b = SettingKeyTable[j];
      if (sameKeyIgnoringCase(a.key, b.key) || (a.field == b.field && a.entry == b.entry)) return false;
    }
  }
  for (int f = 0; f < SettingFieldCount; ++f) {
    if (SettingFieldTable[f].kind == FunctionSetting) continue;
    for (int entry = 0; entry < SettingFieldTable[f].count; ++entry) {
      bool found = false;
      for (const SettingKey &key : SettingKeyTable) found = found || (key.field == f && key.entry == entry);
      if (!found) return false;
    }
  }
  return true;
}
static_assert(keysAreOnePerEntry(), "two keys for one entry, two equal keys, or a number without a key");

// Every listed key's section is one whose keys are listed, and they come in
// the sections' order; the key bindings' section is the one keyed by the
// functions' names.
consteval bool sectionsFollowInOrder() {
  int at = 0;
  const int count = static_cast<int>(sizeof SettingSectionTable / sizeof SettingSectionTable[0]);
  for (const SettingKey &key : SettingKeyTable) {
    const char *section = SettingFieldTable[key.field].section;
    while (at < count && !sameTableText(SettingSectionTable[at].name, section)) ++at;
    if (at == count || SettingSectionTable[at].keys != ListedKeys) return false;
  }
  int keyedByFunctions = 0;
  for (const SettingSection &section : SettingSectionTable) {
    if (section.keys == FunctionNameKeys) {
      if (!sameTableText(section.name, KeyBindingsField.section)) return false;
      ++keyedByFunctions;
    }
  }
  return keyedByFunctions == 1;
}
static_assert(sectionsFollowInOrder(), "a section's keys are not together, or not in the file's order");

// A default obeys its own rule, so a record that was never loaded holds
// nothing a load would change; an axis's default is a function or none.
consteval bool defaultsObeyTheirRules() {
  for (const SettingKey &key : SettingKeyTable) {
    const SettingField &field = SettingFieldTable[key.field];
    if (field.kind == IntegerSetting && applySettingRule(field.rule, key.defaultValue) != key.defaultValue) {
      return false;
    }
    if (field.kind == AnalogSetting && (key.defaultValue < -1 || key.defaultValue >= AnalogFunctionCount)) {
      return false;
    }
  }
  return true;
}
static_assert(defaultsObeyTheirRules(), "a default breaks its own rule");

}  // namespace

GameSettingsRecord::GameSettingsRecord() {
  for (const SettingField &field : SettingFieldTable) {
    for (int i = 0; i < field.count; ++i) {
      SettingEntryRef entry = field.entry(*this, i);
      if (entry.name != nullptr) *entry.name = EmptyName;
    }
  }
  for (const SettingKey &key : SettingKeyTable) {
    SettingEntryRef entry = entryRefForKey(key, *this);
    if (entry.integer != nullptr) *entry.integer = key.defaultValue;
  }
}

GameSettingsRecord GameSettings;

const char ConfigFileName[] = "gardum.cfg";

// References are copied, never text: the record owns no strings.
void placeDefaultKeyBindings() {
  for (int i = 0; i < GameFunctionCount; ++i) {
    GameSettings.KeyBindings[i][0] = DefaultKeyBindingTable[i].primary;
    GameSettings.KeyBindings[i][1] = DefaultKeyBindingTable[i].secondary;
  }
}

void placeDefaultBindings() {
  placeDefaultKeyBindings();
  // All six double-click slots are filled, though only 0..3 reach the file.
  for (int b = 0; b < MouseButtonCount; ++b) {
    GameSettings.MouseButton[b] = DefaultMouseButtonTable[b];
    GameSettings.MouseButtonClicked[b] = DefaultMouseButtonClickedTable[b];
  }
  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    GameSettings.MouseAnalogAxes[axis] = findAnalogFunction(DefaultMouseAnalogTable[axis]);
  }
  for (int d = 0; d < MouseDirectionCount; ++d) {
    GameSettings.MouseDigitalAxes[d] = DefaultMouseDigitalTable[d];
  }
}
