// Loading gardum.cfg into the settings record: clamps, name lookups, absent
// keys, and values that could overrun or confuse the 64-byte name buffers.
#include <string>

#include "settings_test_support.h"

namespace {

// Every setting and binding as start-up leaves them.
void expectStartUpState() {
  expectSameSettings(GameSettings, startUpState());
  for (int i = 0; i < GameFunctionCount; ++i) {
    EXPECT_EQ(GameSettings.KeyBindings[i][0], DefaultKeyBindingTable[i].primary) << i;
    EXPECT_EQ(GameSettings.KeyBindings[i][1], DefaultKeyBindingTable[i].secondary) << i;
  }
}

using SettingsLoad = SettingsTest;

TEST_F(SettingsLoad, NoFileLeavesTheStartUpStateAndHoldsNoDocument) {
  loadSettings();
  EXPECT_EQ(GameSettings.configHandle, -1);
  expectStartUpState();
}

TEST_F(SettingsLoad, AFolderNamedLikeTheFileIsNotLoaded) {
  std::filesystem::create_directory(ConfigFileName);
  loadSettings();
  EXPECT_EQ(GameSettings.configHandle, -1);
  expectStartUpState();
}

TEST_F(SettingsLoad, OneOutOfRangeValueTouchesNothingElse) {
  loadFrom("[Screen Setup]\nScreenMode = 5\n");
  EXPECT_GE(GameSettings.configHandle, 0);
  EXPECT_FALSE(GameSettings.configChanged);
  EXPECT_EQ(GameSettings.ScreenMode, 1);
  expectStartUpState();
}

TEST_F(SettingsLoad, NoFreeDocumentSlotLoadsNothing) {
  for (int i = 0; i < ConfigSlotCount; ++i) ASSERT_EQ(configNew("filler"), i);
  loadFrom("[Screen Setup]\nScreenWidth = 1024\n");
  EXPECT_LT(GameSettings.configHandle, 0);
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
}

struct IntegerCase {
  const char *section;
  const char *key;
  const char *value;
  int32_t *field;
  int32_t expected;
};

TEST_F(SettingsLoad, IntegersAreClampedAtEveryBoundary) {
  GameSettingsRecord &s = GameSettings;
  const IntegerCase cases[] = {
      {"Screen Setup", "ScreenMode", "-1", &s.ScreenMode, 0},
      {"Screen Setup", "ScreenMode", "0", &s.ScreenMode, 0},
      {"Screen Setup", "ScreenMode", "1", &s.ScreenMode, 1},
      {"Screen Setup", "ScreenMode", "2", &s.ScreenMode, 1},
      {"Screen Setup", "ScreenWidth", "-3", &s.ScreenWidth, -3},
      {"Screen Setup", "ScreenHeight", "100000", &s.ScreenHeight, 100000},
      {"Screen Setup", "ScreenBPP", "32", &s.ScreenBPP, 32},
      {"Sound Setup", "FXDevice", "-7", &s.FXDevice, -1},
      {"Sound Setup", "FXDevice", "-1", &s.FXDevice, -1},
      {"Sound Setup", "FXDevice", "0", &s.FXDevice, 0},
      {"Sound Setup", "FXDevice", "3", &s.FXDevice, 3},
      {"Sound Setup", "NumVoices", "0", &s.NumVoices, 0},
      {"Sound Setup", "NumBits", "16", &s.NumBits, 16},
      {"Sound Setup", "NumBits", "12", &s.NumBits, 8},
      {"Sound Setup", "NumBits", "15", &s.NumBits, 8},
      {"Sound Setup", "NumBits", "17", &s.NumBits, 8},
      {"Sound Setup", "NumBits", "0", &s.NumBits, 8},
      {"Sound Setup", "NumChannels", "0", &s.NumChannels, 1},
      {"Sound Setup", "NumChannels", "1", &s.NumChannels, 1},
      {"Sound Setup", "NumChannels", "2", &s.NumChannels, 2},
      {"Sound Setup", "NumChannels", "3", &s.NumChannels, 2},
      {"Sound Setup", "NumChannels", "6", &s.NumChannels, 2},
      {"Sound Setup", "MixRate", "44100", &s.MixRate, 44100},
      {"Sound Setup", "MusicDevice", "-2", &s.MusicDevice, -1},
      {"Sound Setup", "MusicDevice", "4", &s.MusicDevice, 4},
      {"Controls", "ControllerType", "-3", &s.ControllerType, 0},
      {"Controls", "ControllerType", "-1", &s.ControllerType, 0},
      {"Controls", "ControllerType", "0", &s.ControllerType, 0},
      {"Controls", "ControllerType", "7", &s.ControllerType, 7},
      {"Controls", "MouseAiming", "5", &s.MouseAiming, 1},
      {"Controls", "MouseAiming", "1", &s.MouseAiming, 1},
      {"Controls", "MouseAiming", "0", &s.MouseAiming, 0},
      {"Controls", "MouseAiming", "-1", &s.MouseAiming, 0},
      {"Controls", "MouseAnalogScale0", "1000000", &s.MouseAnalogScale[0], 262144},
      {"Controls", "MouseAnalogScale0", "262145", &s.MouseAnalogScale[0], 262144},
      {"Controls", "MouseAnalogScale0", "262144", &s.MouseAnalogScale[0], 262144},
      {"Controls", "MouseAnalogScale1", "-262144", &s.MouseAnalogScale[1], -262144},
      {"Controls", "MouseAnalogScale1", "-262145", &s.MouseAnalogScale[1], -262144},
      {"Controls", "MouseAnalogScale1", "-300000", &s.MouseAnalogScale[1], -262144},
      {"Controls", "MouseAnalogScale1", "0", &s.MouseAnalogScale[1], 0},
      // A malformed number still gives what the conversion read.
      {"Screen Setup", "ScreenWidth", "800abc", &s.ScreenWidth, 800},
      {"Controls", "MouseAnalogScale0", "0x30000", &s.MouseAnalogScale[0], 196608},
  };
  for (const IntegerCase &c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.value);
    resetProcessState();
    loadFrom(std::string("[") + c.section + "]\n" + c.key + " = " + c.value + "\n");
    EXPECT_EQ(*c.field, c.expected);
  }
}

TEST_F(SettingsLoad, AKeyMissingFromThePresentSectionGetsItsDefault) {
  GameSettings.ScreenWidth = 1024;
  GameSettings.MouseAnalogScale[1] = 5;
  loadFrom("[Screen Setup]\nScreenMode = 0\n[Controls]\nMouseAiming = 1\n");
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
  EXPECT_EQ(GameSettings.MouseAnalogScale[1], 65536);
}

TEST_F(SettingsLoad, KeyDefinitionsTakeTheTablesLetterCase) {
  loadFrom(
      "[keydefinitions]\n"
      "jump = \"x\" \"KPAD6\"\n"
      "Crouch = \"C\"\n"
      "Fire = \"NoSuchKey\" \"Neither\"\n"
      "Weapon_1 = F1 F2\n"
      "Not_A_Function = \"Q\" \"W\"\n");
  EXPECT_EQ(GameSettings.KeyBindings[9][0], KeyNameTable[44]);  // "X"
  EXPECT_EQ(GameSettings.KeyBindings[9][1], KeyNameTable[76]);  // "Kpad6"
  // One name unbinds the secondary key; unknown names unbind.
  EXPECT_EQ(GameSettings.KeyBindings[10][0], KeyNameTable[45]);
  EXPECT_EQ(GameSettings.KeyBindings[10][1], EmptyName);
  EXPECT_EQ(GameSettings.KeyBindings[5][0], EmptyName);
  EXPECT_EQ(GameSettings.KeyBindings[5][1], EmptyName);
  EXPECT_EQ(GameSettings.KeyBindings[19][0], KeyNameTable[58]);
  EXPECT_EQ(GameSettings.KeyBindings[19][1], KeyNameTable[59]);
  // Functions without an entry keep their defaults, capital P included.
  EXPECT_EQ(GameSettings.KeyBindings[3][1], DefaultKeyBindingTable[3].secondary);
  EXPECT_EQ(GameSettings.KeyBindings[0][0], DefaultKeyBindingTable[0].primary);
}

TEST_F(SettingsLoad, TheConsoleTakesOnlyItsFirstKey) {
  GameSettings.KeyBindings[ConsoleFunction][1] = KeyNameTable[5];
  loadFrom("[KeyDefinitions]\nShow_Console = \"`\" \"F1\"\n");
  EXPECT_EQ(GameSettings.KeyBindings[ConsoleFunction][0], KeyNameTable[40]);
  EXPECT_EQ(GameSettings.KeyBindings[ConsoleFunction][1], KeyNameTable[5]);
}

TEST_F(SettingsLoad, ARepeatedFunctionEntryKeepsOneBinding) {
  // The file's second "Jump" line replaces the value of the first entry.
  loadFrom("[KeyDefinitions]\nJump = \"B\" \"N\"\nCrouch = \"C\"\nJUMP = \"G\" \"H\"\n");
  EXPECT_EQ(configEntryCount(GameSettings.configHandle, "KeyDefinitions"), 2);
  EXPECT_EQ(GameSettings.KeyBindings[9][0], KeyNameTable[33]);  // "G"
  EXPECT_EQ(GameSettings.KeyBindings[9][1], KeyNameTable[34]);  // "H"
  EXPECT_EQ(GameSettings.KeyBindings[10][0], KeyNameTable[45]);
}

TEST_F(SettingsLoad, MouseBindingsAreLookedUpPresentOrAbsent) {
  loadFrom(
      "[Controls]\n"
      "MouseButton0 = \"jump\"\n"
      "MouseButton2 = \"\"\n"
      "MouseButton3 = \"No_Such_Function\"\n"
      "MouseButton5 = \"Map\"\n"
      "MouseButtonClicked1 = \"Fire\"\n"
      "MouseButtonClicked3 = \"Crouch\"\n"
      "MouseButtonClicked4 = \"Jump\"\n"
      "MouseButtonClicked5 = \"Jump\"\n"
      "MouseDigitalAxes0_0 = \"Turn_Left\"\n"
      "MouseDigitalAxes0_1 = \"Turn_Right\"\n"
      "MouseDigitalAxes1_0 = \"Look_Up\"\n"
      "MouseDigitalAxes1_1 = \"Unknown\"\n"
      "MouseAnalogAxes0 = \"ANALOG_STRAFING\"\n");
  EXPECT_EQ(GameSettings.MouseButton[0], GameFunctionTable[9]);
  EXPECT_EQ(GameSettings.MouseButton[1], DefaultMouseButtonTable[1]);  // absent
  EXPECT_EQ(GameSettings.MouseButton[2], EmptyName);                   // empty value
  EXPECT_EQ(GameSettings.MouseButton[3], EmptyName);                   // unknown
  EXPECT_EQ(GameSettings.MouseButton[5], GameFunctionTable[38]);
  EXPECT_EQ(GameSettings.MouseButtonClicked[0], EmptyName);
  EXPECT_EQ(GameSettings.MouseButtonClicked[1], GameFunctionTable[5]);
  EXPECT_EQ(GameSettings.MouseButtonClicked[3], GameFunctionTable[10]);
  // The wheel has no double click: those keys are never read.
  EXPECT_EQ(GameSettings.MouseButtonClicked[4], EmptyName);
  EXPECT_EQ(GameSettings.MouseButtonClicked[5], EmptyName);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[0], GameFunctionTable[2]);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[1], GameFunctionTable[3]);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[2], GameFunctionTable[11]);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[3], EmptyName);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], 1);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], 2);  // absent
}

TEST_F(SettingsLoad, AnUnknownAnalogFunctionMeansNone) {
  loadFrom("[Controls]\nMouseAnalogAxes0 = \"analog_jumping\"\nMouseAnalogAxes1 = \"\"\n");
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], -1);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], -1);
}

TEST_F(SettingsLoad, ANameStartingWithTheMarkerByteReadsAsAbsent) {
  loadFrom(
      "[Controls]\n"
      "MouseButton0 = \"\xFF"
      "Jump\"\n"
      "MouseButton1 = \xFF\n"
      "MouseAnalogAxes1 = \"\xFF\"\n"
      "MouseDigitalAxes0_0 = \"\xFFx\"\n"
      "MouseButton2 = \"J\xFF\"\n");
  EXPECT_EQ(GameSettings.MouseButton[0], DefaultMouseButtonTable[0]);
  EXPECT_EQ(GameSettings.MouseButton[1], DefaultMouseButtonTable[1]);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], 2);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[0], EmptyName);
  // The marker only counts in the first byte: this is an unknown name.
  EXPECT_EQ(GameSettings.MouseButton[2], EmptyName);
}

TEST_F(SettingsLoad, OverLongNamesAreCutAndEndUnknown) {
  const std::string filler(100, 'x');
  const std::string exactly64(64, 'k');
  loadFrom(
      "[Controls]\n"
      "MouseButton0 = \"Fire" +
      filler +
      "\"\n"
      "MouseButton1 = " +
      exactly64 +
      "\n"
      "MouseButtonClicked1 = \"" +
      std::string(63, 'o') +
      "\"\n"
      "MouseAnalogAxes0 = \"analog_turning" +
      filler +
      "\"\n"
      "MouseDigitalAxes1_1 = \"" +
      filler + filler +
      "\"\n"
      "[KeyDefinitions]\n"
      "Jump = \"" +
      filler +
      "\" \"X\"\n"
      "Crouch = \"C\" \"" +
      filler +
      "\"\n"
      "Show_Console = \"" +
      exactly64 + "\"\n");
  EXPECT_EQ(GameSettings.MouseButton[0], EmptyName);
  EXPECT_EQ(GameSettings.MouseButton[1], EmptyName);
  EXPECT_EQ(GameSettings.MouseButtonClicked[1], EmptyName);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], -1);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[3], EmptyName);
  // The second key is still found after an over-long first one.
  EXPECT_EQ(GameSettings.KeyBindings[9][0], EmptyName);
  EXPECT_EQ(GameSettings.KeyBindings[9][1], KeyNameTable[44]);
  EXPECT_EQ(GameSettings.KeyBindings[10][0], KeyNameTable[45]);
  EXPECT_EQ(GameSettings.KeyBindings[10][1], EmptyName);
  EXPECT_EQ(GameSettings.KeyBindings[ConsoleFunction][0], EmptyName);
}

}  // namespace
