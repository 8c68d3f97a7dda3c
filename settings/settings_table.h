// The settings gardum.cfg holds, described once. SettingFieldTable lists the
// record's fields (section, kind, the rule a loaded value obeys), in the
// order the record is shown, and KeyBindingsField the key bindings that
// follow them; SettingKeyTable lists the other sections' keys in the order a
// save writes them, each naming the field entry it holds and its default;
// SettingSectionTable lists the sections in the file's order and says where
// each one's keys come from. The record's initial values, loadSettings,
// saveSettings and the CLI's record output all walk these tables.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "settings/settings.h"

inline constexpr char ScreenSection[] = "Screen Setup";
inline constexpr char SoundSection[] = "Sound Setup";
inline constexpr char ControlsSection[] = "Controls";
inline constexpr char KeySection[] = "KeyDefinitions";

enum SettingKind {
  IntegerSetting,     // a number in the file and in the record
  FunctionSetting,    // a GameFunctionTable name in the file; the table's own string (or EmptyName) in the record
  AnalogSetting,      // an AnalogFunctionTable name in the file; its index (-1: none) in the record
  KeyBindingSetting,  // a function's two KeyNameTable names, primary and secondary, under the function's
                      // name; the console's primary only (ConsoleFunction). Table strings in the record.
};

// What loading does to an integer read from the file.
enum SettingRuleKind {
  KeptAsRead,
  ClampedToRange,     // below low gives low, above high gives high
  OneOfTwoElseFirst,  // low and high stay; anything else gives low
};

struct SettingRule {
  SettingRuleKind kind;
  int32_t low;
  int32_t high;
};

constexpr SettingRule keptAsRead() { return {KeptAsRead, 0, 0}; }
constexpr SettingRule clampedTo(int32_t low, int32_t high) { return {ClampedToRange, low, high}; }
constexpr SettingRule oneOfTwoElseFirst(int32_t first, int32_t second) { return {OneOfTwoElseFirst, first, second}; }

constexpr int32_t applySettingRule(SettingRule rule, int32_t value) {
  switch (rule.kind) {
    case ClampedToRange: return value < rule.low ? rule.low : value > rule.high ? rule.high : value;
    case OneOfTwoElseFirst: return value == rule.low || value == rule.high ? value : rule.low;
    case KeptAsRead: break;
  }
  return value;
}

// One entry of a field in a record: exactly one of the three is set, as the
// field's kind says.
struct SettingEntryRef {
  int32_t *integer;   // IntegerSetting, AnalogSetting
  const char **name;  // FunctionSetting
  const char **keys;  // KeyBindingSetting: [0] primary, [1] secondary
};

constexpr SettingEntryRef entryRefTo(int32_t *integer) { return {integer, nullptr, nullptr}; }
constexpr SettingEntryRef entryRefTo(const char **name) { return {nullptr, name, nullptr}; }
constexpr SettingEntryRef entryRefTo(const char *(*keys)[2]) { return {nullptr, nullptr, *keys}; }

// Entry `index` of the record's field `Member` (a field that is no array has
// only entry 0).
template <auto Member>
constexpr SettingEntryRef memberEntryRef(GameSettingsRecord &record, int index) {
  auto &field = record.*Member;
  if constexpr (std::is_array_v<std::remove_reference_t<decltype(field)>>) {
    return entryRefTo(&field[index]);
  } else {
    return entryRefTo(&field);
  }
}

struct SettingField {
  const char *section;  // one of the section constants above
  const char *name;     // the record's name for it
  SettingKind kind;
  SettingRule rule;  // integers only
  int count;         // entries in the record
  bool isArray;
  SettingEntryRef (*entry)(GameSettingsRecord &record, int index);
};

// A kind that does not match the member's type stops the build here.
template <auto Member>
consteval SettingField settingField(const char *name, const char *section, SettingKind kind,
                                    SettingRule rule = keptAsRead()) {
  using Type = std::remove_reference_t<decltype(std::declval<GameSettingsRecord &>().*Member)>;
  using Entry = std::remove_extent_t<Type>;
  constexpr bool isArray = std::is_array_v<Type>;
  bool fits = kind == FunctionSetting     ? std::is_same_v<Entry, const char *>
              : kind == KeyBindingSetting ? std::is_same_v<Entry, const char *[2]>
                                          : std::is_same_v<Entry, int32_t>;
  if (!fits) throw "a setting's kind does not fit its field's type";
  int count = isArray ? static_cast<int>(std::extent_v<Type>) : 1;
  return {section, name, kind, rule, count, isArray, &memberEntryRef<Member>};
}

// The member's own name is the name shown for it.
#define SETTING_FIELD(member, ...) settingField<&GameSettingsRecord::member>(#member, __VA_ARGS__)

// clang-format off
inline constexpr SettingField SettingFieldTable[] = {
    SETTING_FIELD(ScreenMode, ScreenSection, IntegerSetting, clampedTo(0, 1)),
    SETTING_FIELD(ScreenWidth, ScreenSection, IntegerSetting),
    SETTING_FIELD(ScreenHeight, ScreenSection, IntegerSetting),
    SETTING_FIELD(ScreenBPP, ScreenSection, IntegerSetting),
    SETTING_FIELD(FXDevice, SoundSection, IntegerSetting, clampedTo(-1, INT32_MAX)),  // -1 is off
    SETTING_FIELD(NumVoices, SoundSection, IntegerSetting),
    SETTING_FIELD(NumBits, SoundSection, IntegerSetting, oneOfTwoElseFirst(8, 16)),
    SETTING_FIELD(NumChannels, SoundSection, IntegerSetting, clampedTo(1, 2)),
    SETTING_FIELD(MixRate, SoundSection, IntegerSetting),
    SETTING_FIELD(MusicDevice, SoundSection, IntegerSetting, clampedTo(-1, INT32_MAX)),  // -1 is off
    SETTING_FIELD(ControllerType, ControlsSection, IntegerSetting, clampedTo(0, INT32_MAX)),
    SETTING_FIELD(MouseAiming, ControlsSection, IntegerSetting, clampedTo(0, 1)),
    SETTING_FIELD(MouseAnalogScale, ControlsSection, IntegerSetting, clampedTo(-262144, 262144)),  // 16.16: +-4.0
    SETTING_FIELD(MouseAnalogAxes, ControlsSection, AnalogSetting),
    SETTING_FIELD(MouseButton, ControlsSection, FunctionSetting),
    SETTING_FIELD(MouseButtonClicked, ControlsSection, FunctionSetting),
    SETTING_FIELD(MouseDigitalAxes, ControlsSection, FunctionSetting),
};
// clang-format on

// Entry f is game function f's keys, under its GameFunctionTable name in the
// "KeyDefinitions" section (SettingSectionTable); shown after the fields above.
inline constexpr SettingField KeyBindingsField = SETTING_FIELD(KeyBindings, KeySection, KeyBindingSetting);

#undef SETTING_FIELD

inline constexpr int SettingFieldCount = static_cast<int>(sizeof SettingFieldTable / sizeof SettingFieldTable[0]);

// Every field of the record in the order it is shown: SettingFieldTable's,
// then the key bindings. For whatever handles the whole record (its output,
// comparing two records).
template <typename Visit>
void forEachRecordField(Visit &&visit) {
  for (const SettingField &field : SettingFieldTable) visit(field);
  visit(KeyBindingsField);
}

struct SettingKey {
  const char *key;
  int field;             // index into SettingFieldTable
  int entry;             // which entry of the field
  int32_t defaultValue;  // integers: the initial value, and what a key missing from the file gives;
                         // analog axes: the initial index; names: unused (start-up places them)
};

// -1 for a name that is no field; the checks in settings_record.cpp turn
// that into a build error.
consteval int settingFieldNamed(const char *name) {
  for (int i = 0; i < SettingFieldCount; ++i) {
    if (sameTableText(SettingFieldTable[i].name, name)) return i;
  }
  return -1;
}

// A key that is its field's own name.
consteval SettingKey settingKey(const char *key, int32_t defaultValue = 0) {
  return {key, settingFieldNamed(key), 0, defaultValue};
}

// A key that holds one entry of an array field.
consteval SettingKey settingKey(const char *key, const char *field, int entry, int32_t defaultValue = 0) {
  return {key, settingFieldNamed(field), entry, defaultValue};
}

// clang-format off
inline constexpr SettingKey SettingKeyTable[] = {
    settingKey("ScreenMode", 1),
    settingKey("ScreenWidth", 640),
    settingKey("ScreenHeight", 480),
    settingKey("ScreenBPP", 8),
    settingKey("FXDevice", 0),
    settingKey("NumVoices", 8),
    settingKey("NumBits", 8),
    settingKey("NumChannels", 2),
    settingKey("MixRate", 22050),
    settingKey("MusicDevice", 0),
    settingKey("ControllerType", 1),
    settingKey("MouseAiming", 0),
    // Each button's double click follows its single click; the wheel's two
    // directions (buttons 4 and 5) have no double click in the file.
    settingKey("MouseButton0", "MouseButton", 0),
    settingKey("MouseButtonClicked0", "MouseButtonClicked", 0),
    settingKey("MouseButton1", "MouseButton", 1),
    settingKey("MouseButtonClicked1", "MouseButtonClicked", 1),
    settingKey("MouseButton2", "MouseButton", 2),
    settingKey("MouseButtonClicked2", "MouseButtonClicked", 2),
    settingKey("MouseButton3", "MouseButton", 3),
    settingKey("MouseButtonClicked3", "MouseButtonClicked", 3),
    settingKey("MouseButton4", "MouseButton", 4),
    settingKey("MouseButton5", "MouseButton", 5),
    // The axes' defaults, also placed at start-up (DefaultMouseAnalogTable).
    settingKey("MouseAnalogAxes0", "MouseAnalogAxes", 0, analogFunctionNamed("analog_turning")),  // X
    settingKey("MouseAnalogAxes1", "MouseAnalogAxes", 1, analogFunctionNamed("analog_moving")),   // Y
    settingKey("MouseAnalogScale0", "MouseAnalogScale", 0, 65536),  // 1.0
    settingKey("MouseAnalogScale1", "MouseAnalogScale", 1, 65536),
    // Direction d (0 left, 1 right, 2 up, 3 down) is axis d / 2, side d % 2.
    settingKey("MouseDigitalAxes0_0", "MouseDigitalAxes", 0),
    settingKey("MouseDigitalAxes0_1", "MouseDigitalAxes", 1),
    settingKey("MouseDigitalAxes1_0", "MouseDigitalAxes", 2),
    settingKey("MouseDigitalAxes1_1", "MouseDigitalAxes", 3),
};
// clang-format on

inline constexpr int SettingKeyCount = static_cast<int>(sizeof SettingKeyTable / sizeof SettingKeyTable[0]);

// The entry of `record` that the key holds.
inline SettingEntryRef entryRefForKey(const SettingKey &key, GameSettingsRecord &record) {
  return SettingFieldTable[key.field].entry(record, key.entry);
}

// Where a section's keys come from.
enum SettingSectionKeys {
  ListedKeys,        // SettingKeyTable's keys of that section, in the table's order
  FunctionNameKeys,  // one key per game function, its GameFunctionTable name, holding
                     // KeyBindingsField's entry of that function
};

struct SettingSection {
  const char *name;  // one of the section constants above
  SettingSectionKeys keys;
};

// The sections in the order a save writes them (and appends those the file
// lacks); loadSettings and saveSettings walk it.
inline constexpr SettingSection SettingSectionTable[] = {
    {ScreenSection, ListedKeys},
    {SoundSection, ListedKeys},
    {ControlsSection, ListedKeys},
    {KeySection, FunctionNameKeys},
};
