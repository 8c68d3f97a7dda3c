// Saving the settings record to gardum.cfg: the seeded default file byte for
// byte, in-place updates of a loaded file, stability, the backslash key, and
// the two ways a save can fail.
#include <cerrno>
#include <set>
#include <sstream>
#include <string>

#include "settings_test_support.h"

namespace {

std::string goldenFile() { return readFile(TG_SETTINGS_TEST_DATA "/default_gardum.cfg"); }

// The "KeyDefinitions" lines of the golden file, CRLF kept, minus those whose
// key is listed in `skip`.
std::string goldenKeyLines(const std::set<std::string> &skip) {
  std::istringstream in(goldenFile().substr(goldenFile().find("[KeyDefinitions]\r\n") + 18));
  std::string line, out;
  while (std::getline(in, line)) {
    if (!skip.count(line.substr(0, line.find(' ')))) out += line + "\n";
  }
  return out;
}

void replaceAll(std::string &text, const std::string &from, const std::string &to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

bool hasLine(const std::string &file, const std::string &line) {
  return file.find("\r\n" + line + "\r\n") != std::string::npos;
}

using SettingsSave = SettingsTest;

TEST_F(SettingsSave, WithoutAFileWritesTheSeededDefaultFile) {
  const std::string golden = goldenFile();
  ASSERT_FALSE(golden.empty());
  GameSettings.configChanged = true;
  loadSettings();
  ASSERT_TRUE(saveSettings());
  EXPECT_GE(GameSettings.configHandle, 0);
  EXPECT_EQ(savedFile(), golden);
  // Saving is not the menu's acknowledgement: the flag is left alone.
  EXPECT_TRUE(GameSettings.configChanged);

  // The document stays held: the second save neither seeds again nor moves.
  ConfigHandle held = GameSettings.configHandle;
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(GameSettings.configHandle, held);
  EXPECT_EQ(savedFile(), golden);
}

TEST_F(SettingsSave, TheDefaultFileLoadsBackInTheTablesLetterCase) {
  writeFile(ConfigFileName, goldenFile());
  loadSettings();
  EXPECT_EQ(GameSettings.KeyBindings[3][1], KeyNameTable[76]);
  EXPECT_EQ(GameSettings.KeyBindings[17][1], KeyNameTable[70]);
  EXPECT_EQ(GameSettings.KeyBindings[41][0], KeyNameTable[75]);
  EXPECT_EQ(GameSettings.KeyBindings[9][1], DefaultKeyBindingTable[9].secondary);
  EXPECT_EQ(GameSettings.MouseButtonClicked[1], DefaultMouseButtonClickedTable[1]);

  ASSERT_TRUE(saveSettings());
  std::string expected = goldenFile();
  replaceAll(expected, "\"KPad", "\"Kpad");
  EXPECT_EQ(savedFile(), expected);
}

TEST_F(SettingsSave, ALoadedFileKeepsItsOwnEntriesInPlace) {
  loadFrom(
      "; written by hand\n"
      "Version = 3\n"
      "\n"
      "[Screen Setup]\n"
      "screenmode=0\n"
      "Gamma = 5\n"
      "ScreenWidth = 800\n"
      "[Network]\n"
      "Port = 7777\n"
      "Name = \"Player One\"\n"
      "[KeyDefinitions]\n"
      "jump = \"x\" \"y\"\n"
      "Bogus_Function = \"A\" \"B\"\n"
      "Show_Console = \"NumLck\" \"F1\"\n"
      "Fire = \"LCtrl\" \"RCtrl\"\n"
      "[Controls]\n"
      "MouseButtonClicked4 = \"Jump\"\n"
      "MOUSEBUTTON1 = \"Fire\"\n");
  GameSettings.ScreenWidth = 1024;
  ASSERT_TRUE(saveSettings());

  const std::string expected = crlf(
                                   "Version = 3\n"
                                   "\n"
                                   "[Screen Setup]\n"
                                   "screenmode = 0\n"
                                   "Gamma = 5\n"
                                   "ScreenWidth = 1024\n"
                                   "ScreenHeight = 480\n"
                                   "ScreenBPP = 8\n"
                                   "\n"
                                   "[Network]\n"
                                   "Port = 7777\n"
                                   "Name = \"Player One\"\n"
                                   "\n"
                                   "[KeyDefinitions]\n"
                                   "jump = \"X\" \"Y\"\n"
                                   "Bogus_Function = \"A\" \"B\"\n"
                                   "Show_Console = \"NumLck\"\n"
                                   "Fire = \"LCtrl\" \"RCtrl\"\n") +
                               goldenKeyLines({"Jump", "Fire", "Show_Console"}) +
                               crlf(
                                   "\n"
                                   "[Controls]\n"
                                   "MouseButtonClicked4 = \"Jump\"\n"
                                   "MOUSEBUTTON1 = \"Fire\"\n"
                                   "ControllerType = 1\n"
                                   "MouseAiming = 0\n"
                                   "MouseButton0 = \"Fire\"\n"
                                   "MouseButtonClicked0 = \"\"\n"
                                   "MouseButtonClicked1 = \"Open\"\n"
                                   "MouseButton2 = \"Move_Forward\"\n"
                                   "MouseButtonClicked2 = \"\"\n"
                                   "MouseButton3 = \"\"\n"
                                   "MouseButtonClicked3 = \"\"\n"
                                   "MouseButton4 = \"\"\n"
                                   "MouseButton5 = \"\"\n"
                                   "MouseAnalogAxes0 = \"analog_turning\"\n"
                                   "MouseAnalogAxes1 = \"analog_moving\"\n"
                                   "MouseAnalogScale0 = 65536\n"
                                   "MouseAnalogScale1 = 65536\n"
                                   "MouseDigitalAxes0_0 = \"\"\n"
                                   "MouseDigitalAxes0_1 = \"\"\n"
                                   "MouseDigitalAxes1_0 = \"\"\n"
                                   "MouseDigitalAxes1_1 = \"\"\n"
                                   "\n"
                                   "[Sound Setup]\n"
                                   "FXDevice = 0\n"
                                   "NumVoices = 8\n"
                                   "NumBits = 8\n"
                                   "NumChannels = 2\n"
                                   "MixRate = 22050\n"
                                   "MusicDevice = 0\n");
  const std::string first = savedFile();
  EXPECT_EQ(first, expected);

  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(savedFile(), first);
}

// What some Windows editors write: a UTF-8 byte order mark before the first
// header. The first section still loads, and the save neither keeps the mark
// nor adds a second "[Screen Setup]".
TEST_F(SettingsSave, AByteOrderMarkBeforeTheFirstHeaderIsDropped) {
  testing::internal::CaptureStdout();
  loadFrom(
      "\xEF\xBB\xBF[Screen Setup]\r\n"
      "ScreenMode = 0\r\n"
      "ScreenWidth = 800\r\n"
      "ScreenHeight = 600\r\n"
      "ScreenBPP = 16\r\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(GameSettings.ScreenMode, 0);
  EXPECT_EQ(GameSettings.ScreenWidth, 800);
  EXPECT_EQ(GameSettings.ScreenHeight, 600);
  EXPECT_EQ(GameSettings.ScreenBPP, 16);
  ASSERT_TRUE(saveSettings());
  const std::string file = savedFile();
  EXPECT_TRUE(file.starts_with("[Screen Setup]\r\nScreenMode = 0\r\nScreenWidth = 800\r\n")) << file;
  EXPECT_EQ(file.find("[Screen Setup]", 1), std::string::npos) << file;
  EXPECT_EQ(file.find('\xEF'), std::string::npos);
}

TEST_F(SettingsSave, TheBackslashKeyRoundTripsThroughTheFile) {
  const char *backslash = KeyNameTable[42];
  GameSettings.KeyBindings[9][0] = backslash;   // first of a pair
  GameSettings.KeyBindings[10][1] = backslash;  // second of a pair
  GameSettings.KeyBindings[ConsoleFunction][0] = backslash;
  ASSERT_TRUE(saveSettings());
  const std::string file = savedFile();
  EXPECT_TRUE(hasLine(file, "Jump = \"\\\\\" \"/\"")) << file;
  EXPECT_TRUE(hasLine(file, "Crouch = \"Z\" \"\\\\\"")) << file;
  EXPECT_TRUE(file.ends_with("\r\nShow_Console = \"\\\\\"\r\n")) << file;

  resetProcessState();
  loadSettings();
  EXPECT_EQ(GameSettings.KeyBindings[9][0], backslash);
  EXPECT_EQ(GameSettings.KeyBindings[9][1], KeyNameTable[52]);
  EXPECT_EQ(GameSettings.KeyBindings[10][0], KeyNameTable[43]);
  EXPECT_EQ(GameSettings.KeyBindings[10][1], backslash);
  EXPECT_EQ(GameSettings.KeyBindings[ConsoleFunction][0], backslash);
}

TEST_F(SettingsSave, UnboundAndOutOfRangeValuesAreWrittenAsEmptyNames) {
  GameSettings.KeyBindings[9][0] = EmptyName;
  GameSettings.KeyBindings[9][1] = EmptyName;
  GameSettings.KeyBindings[ConsoleFunction][0] = EmptyName;
  GameSettings.MouseButton[0] = EmptyName;
  GameSettings.MouseAnalogAxes[0] = -1;
  GameSettings.MouseAnalogAxes[1] = AnalogFunctionCount;  // past the table
  GameSettings.MouseButtonClicked[4] = GameFunctionTable[9];
  GameSettings.MouseButtonClicked[5] = GameFunctionTable[9];
  GameSettings.MouseDigitalAxes[3] = GameFunctionTable[11];
  GameSettings.MouseAnalogScale[1] = -262144;
  GameSettings.FXDevice = -1;
  ASSERT_TRUE(saveSettings());
  const std::string file = savedFile();
  EXPECT_TRUE(hasLine(file, "Jump = \"\" \"\""));
  EXPECT_TRUE(file.ends_with("\r\nShow_Console = \"\"\r\n"));
  EXPECT_TRUE(hasLine(file, "MouseButton0 = \"\""));
  EXPECT_TRUE(hasLine(file, "MouseAnalogAxes0 = \"\""));
  EXPECT_TRUE(hasLine(file, "MouseAnalogAxes1 = \"\""));
  EXPECT_TRUE(hasLine(file, "MouseDigitalAxes1_1 = \"Look_Up\""));
  EXPECT_TRUE(hasLine(file, "MouseAnalogScale1 = -262144"));
  EXPECT_TRUE(hasLine(file, "FXDevice = -1"));
  EXPECT_EQ(file.find("MouseButtonClicked4"), std::string::npos);
  EXPECT_EQ(file.find("MouseButtonClicked5"), std::string::npos);
}

TEST_F(SettingsSave, FailsWithoutAFreeDocumentSlotAndTriesAgainLater) {
  for (int i = 0; i < ConfigSlotCount; ++i) ASSERT_EQ(configNew("filler"), i);
  EXPECT_FALSE(saveSettings());
  EXPECT_LT(GameSettings.configHandle, 0);
  EXPECT_FALSE(std::filesystem::exists(ConfigFileName));

  configFree(7);
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(GameSettings.configHandle, 7);
  EXPECT_EQ(savedFile(), goldenFile());
}

TEST_F(SettingsSave, FailsWhenTheFileCannotBeReplaced) {
  std::filesystem::create_directory(ConfigFileName);
  loadSettings();
  EXPECT_EQ(GameSettings.configReadError, EISDIR);  // there, but not readable
  EXPECT_FALSE(saveSettings());
  EXPECT_TRUE(std::filesystem::is_directory(ConfigFileName));
  // The new document is held and seeded once, so the retry, once nothing is
  // in the way, writes the ordinary default file; that file is then the
  // run's own, and saving it again is no longer refused.
  EXPECT_GE(GameSettings.configHandle, 0);
  std::filesystem::remove(ConfigFileName);
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(savedFile(), goldenFile());
  EXPECT_EQ(GameSettings.configReadError, 0);
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(savedFile(), goldenFile());
}

TEST_F(SettingsSave, FailsForALoadedDocumentWhoseFileBecameAFolder) {
  loadFrom("[Screen Setup]\nScreenMode = 0\n");
  std::filesystem::remove(ConfigFileName);
  std::filesystem::create_directory(ConfigFileName);
  EXPECT_FALSE(saveSettings());
  EXPECT_TRUE(std::filesystem::is_directory(ConfigFileName));
}

}  // namespace
