/*
 * tarrengard-cfg settings and save: the settings record as the configurator
 * sees it after start-up, and gardum.cfg as the configurator writes it.
 * The expected texts are written out here, independently of the tables the
 * program uses, so a wrong default or a wrong order shows.
 */
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

struct DefaultBinding {
  const char *function;
  const char *primary;
  const char *secondary;
};

// clang-format off
const DefaultBinding Defaults[] = {
    {"Move_Forward", "Up", "Kpad8"},   {"Move_Backward", "Down", "Kpad2"},
    {"Turn_Left", "Left", "Kpad4"},    {"Turn_Right", "Right", "KPad6"},
    {"Strafe", "LAlt", "RAlt"},        {"Fire", "LCtrl", "RCtrl"},
    {"Open", "Space", ""},             {"Run", "LShift", "RShift"},
    {"AutoRun", "CapLck", ""},         {"Jump", "A", "/"},
    {"Crouch", "Z", ""},               {"Look_Up", "PgUp", "Kpad9"},
    {"Look_Down", "PgDn", "Kpad3"},    {"Look_Left", "Insert", "Kpad0"},
    {"Look_Right", "Delete", "Kpad."}, {"Strafe_Left", ",", ""},
    {"Strafe_Right", ".", ""},         {"Aim_Up", "Home", "KPad7"},
    {"Aim_Down", "End", "Kpad1"},      {"Weapon_1", "1", ""},
    {"Weapon_2", "2", ""},             {"Weapon_3", "3", ""},
    {"Weapon_4", "4", ""},             {"Weapon_5", "5", ""},
    {"Weapon_6", "6", ""},             {"Weapon_7", "7", ""},
    {"Weapon_8", "8", ""},             {"Weapon_9", "9", ""},
    {"Weapon_10", "0", ""},            {"Inventory", "Enter", "KpdEnt"},
    {"Inventory_Left", "[", ""},       {"Inventory_Right", "]", ""},
    {"Holo_Brax", "H", ""},            {"Jetpack", "J", ""},
    {"NightVision", "N", ""},          {"MedKit", "M", ""},
    {"TurnAround", "BakSpc", ""},      {"SendMessage", "T", ""},
    {"Map", "Tab", ""},                {"Shrink_Screen", "-", "Kpad-"},
    {"Enlarge_Screen", "=", "Kpad+"},  {"Center_View", "KPad5", ""},
    {"Holster_Weapon", "ScrLck", ""},  {"Show_Opponents_Weapon", "W", ""},
    {"Map_Follow_Mode", "F", ""},      {"See_Coop_View", "K", ""},
    {"Mouse_Aiming", "U", ""},         {"Toggle_Crosshair", "I", ""},
    {"Steroids", "R", ""},             {"Quick_Kick", "`", ""},
    {"Next_Weapon", "'", ""},          {"Previous_Weapon", ";", ""},
    {"Show_Console", "NumLck", ""},
};
// clang-format on
static_assert(sizeof Defaults / sizeof Defaults[0] == 53);

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

// KeyBindings as the settings command prints it, with row `changedRow`
// replaced by `changedPair` when given.
std::string keyBindingsJson(int changedRow = -1, const std::string &changedPair = "") {
  std::string json = "\"KeyBindings\":[";
  for (int i = 0; i < 53; i++) {
    if (i) json += ",";
    if (i == changedRow) {
      json += changedPair;
    } else {
      json += "[" + quoted(Defaults[i].primary) + "," + quoted(Defaults[i].secondary) + "]";
    }
  }
  return json + "]";
}

const std::string DefaultSettingsJson =
    "{\"ScreenMode\":1,\"ScreenWidth\":640,\"ScreenHeight\":480,\"ScreenBPP\":8,\n"
    " \"FXDevice\":0,\"NumVoices\":8,\"NumBits\":8,\"NumChannels\":2,\"MixRate\":22050,"
    "\"MusicDevice\":0,\n"
    " \"ControllerType\":1,\"MouseAiming\":0,\"MouseAnalogScale\":[65536,65536],"
    "\"MouseAnalogAxes\":[0,2],\n"
    " \"MouseButton\":[\"Fire\",\"Strafe\",\"Move_Forward\",\"\",\"\",\"\"],\n"
    " \"MouseButtonClicked\":[\"\",\"Open\",\"\",\"\",\"\",\"\"],\n"
    " \"MouseDigitalAxes\":[\"\",\"\",\"\",\"\"],\n " +
    keyBindingsJson() + "}\n";

std::string crlfLines(const std::vector<std::string> &lines) {
  std::string text;
  for (const auto &line : lines) text += line + "\r\n";
  return text;
}

// gardum.cfg as the first save without a file writes it.
std::string defaultGardumCfg() {
  std::vector<std::string> lines = {"[Screen Setup]",
                                    "Shadows = 1",
                                    "Detail = 1",
                                    "Tilt = 1",
                                    "Messages = 1",
                                    "ScreenMode = 1",
                                    "ScreenWidth = 640",
                                    "ScreenHeight = 480",
                                    "ScreenBPP = 8",
                                    "",
                                    "[Sound Setup]",
                                    "FXVolume = 200",
                                    "MusicVolume = 200",
                                    "SoundToggle = 1",
                                    "VoiceToggle = 1",
                                    "AmbienceToggle = 1",
                                    "MusicToggle = 1",
                                    "FXDevice = 0",
                                    "NumVoices = 8",
                                    "NumBits = 8",
                                    "NumChannels = 2",
                                    "MixRate = 22050",
                                    "MusicDevice = 0",
                                    "",
                                    "[Controls]",
                                    "MouseSensitivity = 45056",
                                    "ControllerType = 1",
                                    "MouseAiming = 0",
                                    "MouseButton0 = \"Fire\"",
                                    "MouseButtonClicked0 = \"\"",
                                    "MouseButton1 = \"Strafe\"",
                                    "MouseButtonClicked1 = \"Open\"",
                                    "MouseButton2 = \"Move_Forward\"",
                                    "MouseButtonClicked2 = \"\"",
                                    "MouseButton3 = \"\"",
                                    "MouseButtonClicked3 = \"\"",
                                    "MouseButton4 = \"\"",
                                    "MouseButton5 = \"\"",
                                    "MouseAnalogAxes0 = \"analog_turning\"",
                                    "MouseAnalogAxes1 = \"analog_moving\"",
                                    "MouseAnalogScale0 = 65536",
                                    "MouseAnalogScale1 = 65536",
                                    "MouseDigitalAxes0_0 = \"\"",
                                    "MouseDigitalAxes0_1 = \"\"",
                                    "MouseDigitalAxes1_0 = \"\"",
                                    "MouseDigitalAxes1_1 = \"\"",
                                    "",
                                    "[KeyDefinitions]"};
  for (int i = 0; i < 52; i++) {
    lines.push_back(std::string(Defaults[i].function) + " = " + quoted(Defaults[i].primary) + " " +
                    quoted(Defaults[i].secondary));
  }
  lines.push_back("Show_Console = \"NumLck\"");
  return crlfLines(lines);
}

class CfgToolSettings : public ::testing::Test {
 protected:
  std::string gardum() const { return folder + "/gardum.cfg"; }

  ScratchFolder scratch;
  const std::string folder = scratch.path();
};

void expectFailure(const ToolRun &run) {
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("tarrengard-cfg: ", 0), 0u) << run.err;
}

// ---- settings -------------------------------------------------------------------

TEST_F(CfgToolSettings, WithoutAFileTheDefaultsArePrinted) {
  ToolRun run = runTool({"settings", "-C", folder});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, DefaultSettingsJson);
  EXPECT_FALSE(pathExists(gardum()));

  ToolRunOptions here;
  here.workingDirectory = folder.c_str();
  EXPECT_EQ(runTool({"settings"}, here).out, DefaultSettingsJson);
}

TEST_F(CfgToolSettings, LoadedValuesAreClampedAndNamesResolved) {
  writeFile(gardum(),
            "[Screen Setup]\n"
            "ScreenMode = 5\n"
            "ScreenWidth = 1024\n"
            "[Sound Setup]\n"
            "FXDevice = -7\n"
            "NumBits = 12\n"
            "NumChannels = 0\n"
            "MusicDevice = -2\n"
            "[Controls]\n"
            "ControllerType = -3\n"
            "MouseAiming = 5\n"
            "MouseAnalogScale0 = 1000000\n"
            "MouseAnalogScale1 = -300000\n"
            "MouseAnalogAxes0 = \"ANALOG_STRAFING\"\n"
            "MouseAnalogAxes1 = \"analog_nothing\"\n"
            "MouseButton0 = \"jump\"\n"
            "MouseButton2 = \"\"\n"
            "MouseButton3 = \"NoSuchFunction\"\n"
            "MouseButtonClicked4 = \"Fire\"\n"
            "MouseDigitalAxes1_1 = \"crouch\"\n"
            "[KeyDefinitions]\n"
            "Jump = \"\\\\\" \"kpad6\"\n"
            "Show_Console = \"Tab\" \"F1\"\n"
            "NotAFunction = \"X\" \"Y\"\n");
  ToolRun run = runTool({"settings", "-C", folder});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string expected =
      "{\"ScreenMode\":1,\"ScreenWidth\":1024,\"ScreenHeight\":480,\"ScreenBPP\":8,\n"
      " \"FXDevice\":-1,\"NumVoices\":8,\"NumBits\":8,\"NumChannels\":1,\"MixRate\":22050,"
      "\"MusicDevice\":-1,\n"
      " \"ControllerType\":0,\"MouseAiming\":1,\"MouseAnalogScale\":[262144,-262144],"
      "\"MouseAnalogAxes\":[1,-1],\n"
      " \"MouseButton\":[\"Jump\",\"Strafe\",\"\",\"\",\"\",\"\"],\n"
      " \"MouseButtonClicked\":[\"\",\"Open\",\"\",\"\",\"\",\"\"],\n"
      " \"MouseDigitalAxes\":[\"\",\"\",\"\",\"Crouch\"],\n " +
      // Row 52 keeps its (empty) secondary key: the console takes one key.
      [] {
        std::string json = keyBindingsJson(9, "[\"\\\\\",\"Kpad6\"]");
        std::string row52 = "[\"NumLck\",\"\"]]";
        return json.substr(0, json.size() - row52.size()) + "[\"Tab\",\"\"]]";
      }() +
      "}\n";
  EXPECT_EQ(run.out, expected);
}

TEST_F(CfgToolSettings, DiagnosticsGoToStderrAndTheRecordStillPrints) {
  writeFile(gardum(), "[Screen Setup]\n#comment\nScreenBPP = 16\n");
  ToolRun run = runTool({"settings", "-C", folder});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Illegal character (ASCII 35) on line 2.\n");
  EXPECT_EQ(run.out.rfind("{\"ScreenMode\":1,\"ScreenWidth\":640,\"ScreenHeight\":480,"
                          "\"ScreenBPP\":16,\n",
                          0),
            0u)
      << run.out;
}

// The game under Wine reads its configuration in any letter case.
TEST_F(CfgToolSettings, AConfigurationInCapitalsIsReadAndWrittenUnderItsOwnName) {
  writeFile(folder + "/GARDUM.CFG", "[Screen Setup]\r\nScreenWidth = 800\r\n");
  EXPECT_NE(runTool({"settings", "-C", folder}).out.find("\"ScreenWidth\":800,"), std::string::npos);
  EXPECT_EQ(runTool({"save", "-C", folder}).status, 0);
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"GARDUM.CFG"});
  EXPECT_NE(readFile(folder + "/GARDUM.CFG").find("[Sound Setup]"), std::string::npos);
}

TEST_F(CfgToolSettings, AnUnreadableFolderOrFileExitsTwo) {
  ToolRun missing = runTool({"settings", "-C", folder + "/absent"});
  expectFailure(missing);
  EXPECT_NE(missing.err.find("absent"), std::string::npos);
  expectFailure(runTool({"save", "-C", folder + "/absent"}));

  // A folder where the file should be: the library would call it missing and
  // the next save would fail, so the tool says so at once.
  std::string sub = folder + "/sub";
  std::filesystem::create_directories(sub + "/gardum.cfg");
  expectFailure(runTool({"settings", "-C", sub}));
  expectFailure(runTool({"save", "-C", sub}));
}

// A kernel attribute file claims 4096 bytes and holds a few: it cannot be
// read whole. loadSettings notes that (where it once ended the process), and
// the tool answers with its own message and status alone.
TEST_F(CfgToolSettings, AFileThatCannotBeReadWholeExitsTwoWithOneMessage) {
  std::string liar;
  for (const char *candidate :
       {"/sys/kernel/profiling", "/sys/kernel/mm/transparent_hugepage/enabled", "/sys/power/state"}) {
    std::error_code error;
    std::string bytes = readFile(candidate);
    if (std::filesystem::file_size(candidate, error) == 4096 && !error && !bytes.empty() && bytes.size() < 4096) {
      liar = candidate;
      break;
    }
  }
  if (liar.empty()) GTEST_SKIP() << "no attribute file that misreports its size";
  std::filesystem::create_symlink(liar, gardum());
  for (const char *command : {"settings", "save"}) {
    ToolRun run = runTool({command, "-C", folder});
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_EQ(run.out, "") << command;
    EXPECT_EQ(run.err, "tarrengard-cfg: cannot read " + gardum() + ": the file changed as it was read\n") << command;
  }
}

// ---- save ------------------------------------------------------------------------

TEST_F(CfgToolSettings, SaveWithoutAFileWritesTheSeededDefaults) {
  ToolRun run = runTool({"save", "-C", folder});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(readFile(gardum()), defaultGardumCfg());

  // Loading what was saved gives the defaults back (in the key table's
  // letter case), and saving again changes nothing.
  std::string expectedJson = DefaultSettingsJson;
  for (const char *form : {"KPad6", "KPad7", "KPad5"}) {
    std::string quotedForm = quoted(form);
    expectedJson.replace(expectedJson.find(quotedForm), quotedForm.size(), quoted(std::string("Kpad") + form[4]));
  }
  EXPECT_EQ(runTool({"settings", "-C", folder}).out, expectedJson);
  EXPECT_EQ(runTool({"save", "-C", folder}).status, 0);
  std::string second = readFile(gardum());
  std::string expectedSecond = defaultGardumCfg();
  for (const char *form : {"KPad6", "KPad7", "KPad5"}) {
    std::string quotedForm = quoted(form);
    expectedSecond.replace(expectedSecond.find(quotedForm), quotedForm.size(), quoted(std::string("Kpad") + form[4]));
  }
  EXPECT_EQ(second, expectedSecond);
  EXPECT_EQ(runTool({"save", "-C", folder}).status, 0);
  EXPECT_EQ(readFile(gardum()), second);
}

TEST_F(CfgToolSettings, SaveKeepsUnmanagedEntriesAndSeedsNothing) {
  writeFile(gardum(),
            "; written by another tool\n"
            "[Extra]\n"
            "Foo = bar baz\n"
            "[screen setup]\n"
            "screenwidth = 800\n"
            "Gamma = 3\n"
            "[KeyDefinitions]\n"
            "Custom = \"Q\"\n"
            "Show_Console = \"Tab\" \"F1\"\n");
  ToolRun run = runTool({"save", "-C", folder});
  EXPECT_EQ(run.status, 0) << run.err;
  std::string saved = readFile(gardum());
  const std::string head =
      "[Extra]\r\nFoo = bar baz\r\n\r\n"
      "[screen setup]\r\nscreenwidth = 800\r\nGamma = 3\r\nScreenMode = 1\r\n"
      "ScreenHeight = 480\r\nScreenBPP = 8\r\n\r\n"
      "[KeyDefinitions]\r\nCustom = \"Q\"\r\nShow_Console = \"Tab\"\r\nMove_Forward = \"Up\" "
      "\"Kpad8\"\r\n";
  EXPECT_EQ(saved.substr(0, head.size()), head);
  EXPECT_EQ(saved.find("Shadows"), std::string::npos);
  EXPECT_EQ(saved.find("MouseSensitivity"), std::string::npos);
  // Sections the file lacked follow in the saver's order.
  size_t sound = saved.find("\r\n\r\n[Sound Setup]\r\nFXDevice = 0\r\n");
  size_t controls = saved.find("\r\n\r\n[Controls]\r\nControllerType = 1\r\n");
  EXPECT_NE(sound, std::string::npos);
  EXPECT_NE(controls, std::string::npos);
  EXPECT_LT(sound, controls);
  const std::string tail = "\r\nMouseDigitalAxes1_1 = \"\"\r\n";
  ASSERT_GE(saved.size(), tail.size());
  EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
}

TEST_F(CfgToolSettings, AFailedSaveExitsTwoAndKeepsTheOldFile) {
  const std::string original = "[Screen Setup]\r\nScreenMode = 0\r\n";
  writeFile(gardum(), original);
  ToolRunOptions limited;
  limited.fileSizeLimit = 256;
  ToolRun run = runTool({"save", "-C", folder}, limited);
  expectFailure(run);
  EXPECT_NE(run.err.find("gardum.cfg"), std::string::npos);
  EXPECT_EQ(readFile(gardum()), original);
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"});
}

}  // namespace
