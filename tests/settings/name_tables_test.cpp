// The name tables, their lookups and the start-up placement of the defaults.
// Bindings are compared by pointer: they must be the tables' own strings.
#include <cctype>
#include <set>
#include <string>

#include "settings_test_support.h"

namespace {

std::string joined(const char *const *table, int count, const char *separator = " ") {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(i ? separator : "") + table[i];
  return text;
}

TEST(NameTables, KeyNamesFollowTheScanCodesAndAreUnique) {
  EXPECT_EQ(joined(KeyNameTable, KeyNameCount),
            "Escape 1 2 3 4 5 6 7 8 9 0 - = BakSpc Tab Q W E R T Y U I O P [ ] Enter LCtrl "
            "A S D F G H J K L ; ' ` LShift \\ Z X C V B N M , . / RShift Kpad* LAlt Space "
            "CapLck F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 NumLck ScrLck Kpad7 Kpad8 Kpad9 Kpad- "
            "Kpad4 Kpad5 Kpad6 Kpad+ Kpad1 Kpad2 Kpad3 Kpad0 Kpad. F11 F12 KpdEnt RCtrl "
            "Kpad/ RAlt PrtScn Pause Home Up PgUp Left Right End Down PgDn Insert Delete");
  std::set<std::string> lowered;
  for (const char *name : KeyNameTable) {
    std::string folded(name);
    for (char &c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_FALSE(folded.empty());
    EXPECT_TRUE(lowered.insert(folded).second) << "duplicate " << name;
  }
}

TEST(NameTables, SmallTablesInTheirIndexOrder) {
  EXPECT_EQ(joined(MouseButtonNameTable, MouseButtonCount), "Left Right Middle Thumb WheelDn WheelUp");
  EXPECT_EQ(joined(AnalogFunctionTable, AnalogFunctionCount), "analog_turning analog_strafing analog_moving");
  EXPECT_EQ(joined(ControllerTypeNameTable, ControllerTypeCount, "|"),
            "Keyboard only|Keyboard and Mouse|Keyboard and Joystick");
  EXPECT_STREQ(GameFunctionTable[0], "Move_Forward");
  EXPECT_STREQ(GameFunctionTable[9], "Jump");
  EXPECT_STREQ(GameFunctionTable[ConsoleFunction], "Show_Console");
  EXPECT_STREQ(EmptyName, "");
}

TEST(NameTables, DefaultTablesReferToTheTablesOwnStrings) {
  const std::set<std::string> capitalP = {"KPad5", "KPad6", "KPad7"};
  for (int i = 0; i < GameFunctionCount; ++i) {
    SCOPED_TRACE(GameFunctionTable[i]);
    const DefaultKeyBinding &row = DefaultKeyBindingTable[i];
    EXPECT_EQ(row.function, GameFunctionTable[i]);
    for (const char *key : {row.primary, row.secondary}) {
      // A default key is a table entry itself, the one empty name, or one of
      // the three capital-P keypad names that the table spells "Kpad".
      bool tableEntry = findKeyName(key) == key && key != EmptyName;
      EXPECT_TRUE(tableEntry || key == EmptyName || capitalP.count(key)) << key;
    }
  }
  EXPECT_STREQ(DefaultKeyBindingTable[3].secondary, "KPad6");
  EXPECT_STREQ(DefaultKeyBindingTable[17].secondary, "KPad7");
  EXPECT_STREQ(DefaultKeyBindingTable[41].primary, "KPad5");
  EXPECT_EQ(DefaultKeyBindingTable[ConsoleFunction].secondary, EmptyName);

  const char *const buttons[] = {
      GameFunctionTable[5], GameFunctionTable[4], GameFunctionTable[0], EmptyName, EmptyName, EmptyName};
  const char *const clicked[] = {EmptyName, GameFunctionTable[6], EmptyName, EmptyName, EmptyName, EmptyName};
  for (int b = 0; b < MouseButtonCount; ++b) {
    EXPECT_EQ(DefaultMouseButtonTable[b], buttons[b]) << b;
    EXPECT_EQ(DefaultMouseButtonClickedTable[b], clicked[b]) << b;
  }
  for (int d = 0; d < MouseDirectionCount; ++d) EXPECT_EQ(DefaultMouseDigitalTable[d], EmptyName);
  EXPECT_STREQ(DefaultMouseAnalogTable[0], "analog_turning");
  EXPECT_STREQ(DefaultMouseAnalogTable[1], "analog_moving");
}

TEST(NameLookups, IgnoreLetterCaseAndReturnTableEntries) {
  EXPECT_EQ(findKeyName("KPad6"), KeyNameTable[76]);
  EXPECT_EQ(findKeyName("kpad6"), KeyNameTable[76]);
  EXPECT_EQ(findKeyName("ESCAPE"), KeyNameTable[0]);
  EXPECT_EQ(findKeyName("\\"), KeyNameTable[42]);
  EXPECT_EQ(findGameFunction("sHOW_cONSOLE"), ConsoleFunction);
  EXPECT_EQ(findGameFunction("move_forward"), 0);
  EXPECT_EQ(findAnalogFunction("ANALOG_MOVING"), 2);
  EXPECT_EQ(findAnalogFunction("analog_turning"), 0);
}

TEST(NameLookups, CompareWholeNamesAndAnswerUnknownNames) {
  EXPECT_EQ(findGameFunction("Weapon_1"), 19);
  EXPECT_EQ(findGameFunction("Weapon_10"), 28);
  EXPECT_EQ(findGameFunction("Weapon_1 "), -1);
  EXPECT_EQ(findGameFunction("Weapon"), -1);
  EXPECT_EQ(findKeyName("F1"), KeyNameTable[58]);
  EXPECT_EQ(findKeyName("F10"), KeyNameTable[67]);
  EXPECT_EQ(findKeyName("F"), KeyNameTable[32]);
  // Unknown, empty and missing names: the one empty name, or -1.
  EXPECT_EQ(findKeyName("F13"), EmptyName);
  EXPECT_EQ(findKeyName(""), EmptyName);
  EXPECT_EQ(findKeyName(nullptr), EmptyName);
  EXPECT_EQ(findGameFunction(""), -1);
  EXPECT_EQ(findGameFunction(nullptr), -1);
  EXPECT_EQ(findAnalogFunction("analog"), -1);
  EXPECT_EQ(findAnalogFunction(""), -1);
}

TEST(StartUp, PlacesTheDefaultBindingsByReference) {
  GameSettings = GameSettingsRecord{};
  placeDefaultBindings();
  for (int i = 0; i < GameFunctionCount; ++i) {
    EXPECT_EQ(GameSettings.KeyBindings[i][0], DefaultKeyBindingTable[i].primary) << i;
    EXPECT_EQ(GameSettings.KeyBindings[i][1], DefaultKeyBindingTable[i].secondary) << i;
  }
  EXPECT_STREQ(GameSettings.KeyBindings[3][0], "Right");
  EXPECT_STREQ(GameSettings.KeyBindings[3][1], "KPad6");
  for (int b = 0; b < MouseButtonCount; ++b) {
    EXPECT_EQ(GameSettings.MouseButton[b], DefaultMouseButtonTable[b]);
    EXPECT_EQ(GameSettings.MouseButtonClicked[b], DefaultMouseButtonClickedTable[b]);
  }
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], 0);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], 2);
  for (int d = 0; d < MouseDirectionCount; ++d) EXPECT_EQ(GameSettings.MouseDigitalAxes[d], EmptyName);
  EXPECT_EQ(GameSettings.configHandle, -1);
  EXPECT_FALSE(GameSettings.configChanged);
  GameSettings = GameSettingsRecord{};
}

}  // namespace
