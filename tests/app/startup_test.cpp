// End to end through the real entry point: defaults, load, the main menu
// driven by a scripted user, free, and the launch, each in a fresh folder.
#include "app_test_support.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#ifdef _WIN32
#include <winioctl.h>
#else
#include <unistd.h>
#endif

#ifndef _WIN32
#include "tests/common/ordinary_user.h"
#endif
#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {

#ifndef _WIN32
// Runs a scenario as an ordinary user who owns the game folder and
// gardum.cfg (root reads and writes any file); its report is the scenario's
// text, with what the scripted user found wrong.
ordinaryuser::Result runAsPlayer(const std::string &folder, std::string (*scenario)()) {
  if (!ordinaryuser::give(folder) || !ordinaryuser::give(ConfigFileName)) {
    ordinaryuser::Result failed;
    failed.ran = true;
    failed.report = "the game folder could not be given to an ordinary user";
    return failed;
  }
  return ordinaryuser::run([scenario](std::string &report) {
    us::setFailureHandler([&report](const std::string &message) { report += "script: " + message + "\n"; });
    report += scenario();
    return 0;
  });
}
#endif

const char MenuCaption[] = "Tarrengard Configuration";
const char SaveCaption[] = "Save Configuration Changes";
const char Question[] = "Your configuration has been changed. Save now?";

const char SampleConfig[] =
    "; written by hand\r\n"
    "[Screen Setup]\r\n"
    "ScreenWidth = 800\r\n"
    "ScreenHeight = 600\r\n"
    "Gamma = 3\r\n"
    "\r\n"
    "[KeyDefinitions]\r\n"
    "Jump = \"X\" \"Kpad5\"\r\n"
    "Show_Console = \"F1\"\r\n"
    "\r\n"
    "[Controls]\r\n"
    "MouseButton0 = \"Jetpack\"\r\n"
    "MouseButtonClicked1 = \"Map\"\r\n"
    "MouseAnalogAxes0 = \"analog_strafing\"\r\n"
    "MouseDigitalAxes1_0 = \"Jump\"\r\n"
    "\r\n"
    "[Extra]\r\n"
    "Kept = \"as it was\"\r\n";

// An integer as a fresh load of gardum.cfg sees it; INT32_MIN when absent.
int32_t savedInteger(const char *section, const char *key) {
  int32_t value = INT32_MIN;
  if (!std::filesystem::is_regular_file(ConfigFileName)) return value;
  ConfigHandle handle = configLoad(ConfigFileName);
  configGetInteger(handle, section, key, &value);
  configFree(handle);
  return value;
}

// The bindings of SampleConfig, none of them a default: start-up must not
// replace them with the defaults, nor may a save write those over the file.
struct SampleBinding {
  const char *section;
  const char *key;
  const char *first;
  const char *second;  // "" for a single name
};
const SampleBinding SampleBindings[] = {
    {"KeyDefinitions", "Jump", "X", "Kpad5"},
    {"KeyDefinitions", "Show_Console", "F1", ""},
    {"Controls", "MouseButton0", "Jetpack", ""},
    {"Controls", "MouseButtonClicked1", "Map", ""},
    {"Controls", "MouseAnalogAxes0", "analog_strafing", ""},
    {"Controls", "MouseDigitalAxes1_0", "Jump", ""},
};

void expectSampleBindingsInTheRecord() {
  int jump = findGameFunction("Jump");
  ASSERT_GE(jump, 0);
  EXPECT_STREQ(GameSettings.KeyBindings[jump][0], "X");
  EXPECT_STREQ(GameSettings.KeyBindings[jump][1], "Kpad5");
  EXPECT_STREQ(GameSettings.KeyBindings[ConsoleFunction][0], "F1");
  EXPECT_STREQ(GameSettings.MouseButton[0], "Jetpack");
  EXPECT_STREQ(GameSettings.MouseButtonClicked[1], "Map");
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], findAnalogFunction("analog_strafing"));
  EXPECT_STREQ(GameSettings.MouseDigitalAxes[2], "Jump");  // key 1_0: up
}

void expectSampleBindingsSaved() {
  ConfigHandle handle = configLoad(ConfigFileName);
  ASSERT_GE(handle, 0);
  for (const SampleBinding &binding : SampleBindings) {
    char first[64] = "", second[64] = "";
    configGetStringPair(handle, binding.section, binding.key, first, sizeof first, second, sizeof second);
    EXPECT_STREQ(first, binding.first) << binding.key;
    EXPECT_STREQ(second, binding.second) << binding.key;
  }
  configFree(handle);
}

us::Action markChanged(int screenWidth) {
  return us::inspect([screenWidth](HWND) {
    GameSettings.ScreenWidth = screenWidth;
    GameSettings.configChanged = true;
  });
}

void expectBox(size_t index, bool owned, const char *text, const char *caption, UINT style) {
  const auto &boxes = us::messageBoxes();
  ASSERT_GT(boxes.size(), index);
  EXPECT_EQ(boxes[index].owned, owned) << index;
  EXPECT_EQ(boxes[index].text, text) << index;
  EXPECT_EQ(boxes[index].caption, caption) << index;
  EXPECT_EQ(boxes[index].style, style) << index;
}

}  // namespace

// ---- Start-up without and with a configuration file -------------------------

using Startup = FreshFolderTest;

// What the record holds with no file: the default tables, referenced, not copied.
static void expectDefaultSettings() {
  EXPECT_EQ(GameSettings.configHandle, -1);
  EXPECT_FALSE(GameSettings.configChanged);
  for (int i = 0; i < GameFunctionCount; ++i) {
    EXPECT_EQ(GameSettings.KeyBindings[i][0], DefaultKeyBindingTable[i].primary) << i;
    EXPECT_EQ(GameSettings.KeyBindings[i][1], DefaultKeyBindingTable[i].secondary) << i;
  }
  int turnRight = findGameFunction("Turn_Right");
  ASSERT_GE(turnRight, 0);
  EXPECT_STREQ(GameSettings.KeyBindings[turnRight][0], "Right");
  EXPECT_STREQ(GameSettings.KeyBindings[turnRight][1], "KPad6");
  for (int b = 0; b < MouseButtonCount; ++b) {
    EXPECT_EQ(GameSettings.MouseButton[b], DefaultMouseButtonTable[b]) << b;
    EXPECT_EQ(GameSettings.MouseButtonClicked[b], DefaultMouseButtonClickedTable[b]) << b;
  }
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], 0);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], 2);
  for (int d = 0; d < MouseDirectionCount; ++d) EXPECT_STREQ(GameSettings.MouseDigitalAxes[d], "") << d;
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
}

TEST_F(Startup, WithoutAFileTheMenuSeesExactlyTheDefaultsAndExitWritesNothing) {
  us::expectDialog(MenuCaption, {us::inspect([](HWND) { expectDefaultSettings(); }), us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(tarrengardMain(programInstance()), 0);
  EXPECT_EQ(GameSettings.appInstance, (void *)programInstance());
  EXPECT_TRUE(us::messageBoxes().empty());
  EXPECT_FALSE(std::filesystem::exists(ConfigFileName));
  EXPECT_EQ(us::dialogsOpened(), std::vector<std::string>{MenuCaption});
}

TEST_F(Startup, WithoutAFileTheFirstSaveCreatesASeededOne) {
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(savedInteger("Screen Setup", "Shadows"), 1);
  EXPECT_EQ(savedInteger("Controls", "MouseSensitivity"), 45056);
  EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), 640);
}

TEST_F(Startup, TheFileIsLoadedBeforeTheMenuOpensAndNothingCountsAsChanged) {
  writeFile(ConfigFileName, SampleConfig);
  us::expectDialog(MenuCaption, {us::inspect([](HWND) {
                                   EXPECT_GE(GameSettings.configHandle, 0);
                                   EXPECT_EQ(GameSettings.ScreenWidth, 800);
                                   EXPECT_EQ(GameSettings.ScreenHeight, 600);
                                   expectSampleBindingsInTheRecord();
                                   EXPECT_FALSE(GameSettings.configChanged);
                                 }),
                                 us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_TRUE(us::messageBoxes().empty());
}

// ---- Leaving: "Exit", Escape and the close box behave alike ------------------

struct LeaveWay {
  const char *name;
  us::Action action;
};

class Leaving : public FreshFolderTest, public ::testing::WithParamInterface<LeaveWay> {};

TEST_P(Leaving, WithoutChangesClosesAtOnceAndLeavesTheFileAlone) {
  writeFile(ConfigFileName, SampleConfig);
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  us::expectDialog(MenuCaption, {GetParam().action});
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_TRUE(us::messageBoxes().empty());
  EXPECT_EQ(readFile(ConfigFileName), SampleConfig);
  EXPECT_FALSE(GameSettings.runGameOnExit);
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
}

TEST_P(Leaving, AfterAChangeAnsweredNoClosesAndDropsTheChange) {
  writeFile(ConfigFileName, SampleConfig);
  us::expectDialog(MenuCaption, {markChanged(1024), GetParam().action});
  us::expectMessageBox(IDNO);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  expectBox(0, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
  EXPECT_EQ(readFile(ConfigFileName), SampleConfig);
}

TEST_P(Leaving, AfterAChangeAnsweredYesSavesThenClosesWithoutAConfirmation) {
  writeFile(ConfigFileName, SampleConfig);
  us::expectDialog(MenuCaption, {markChanged(1024), GetParam().action});
  us::expectMessageBox(IDYES);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  expectBox(0, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
  EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), 1024);
  EXPECT_EQ(savedInteger("Screen Setup", "Gamma"), 3);  // unmanaged entries survive
  expectSampleBindingsSaved();
  EXPECT_FALSE(GameSettings.runGameOnExit);
}

INSTANTIATE_TEST_SUITE_P(ByExitEnterEscapeAndCloseBox, Leaving,
                         ::testing::Values(LeaveWay{"Exit", us::click(IDC_MENU_EXIT)},
                                           // "Exit" has the focus and is the default button
                                           LeaveWay{"Enter", us::key(VK_RETURN)},
                                           LeaveWay{"Escape", us::key(VK_ESCAPE)},
                                           LeaveWay{"CloseBox", us::closeBox()}),
                         [](const ::testing::TestParamInfo<LeaveWay> &info) { return std::string(info.param.name); });

// ---- Saving ------------------------------------------------------------------

using Saving = FreshFolderTest;

TEST_F(Saving, SaveConfigurationTwiceWritesTwiceConfirmsEachTimeAndClearsTheChange) {
  writeFile(ConfigFileName, SampleConfig);
  auto writtenThenRemoved = [](int width) {
    return us::inspect([width](HWND) {
      EXPECT_FALSE(GameSettings.configChanged);
      EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), width);
      std::filesystem::remove(ConfigFileName);  // so the next save must write it again
    });
  };
  us::expectDialog(MenuCaption, {markChanged(1024), us::click(IDC_MENU_SAVE), writtenThenRemoved(1024),
                                 us::click(IDC_MENU_SAVE), writtenThenRemoved(1024), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 2u);  // and no question on leaving
  expectBox(0, true, "Configuration saved.", SaveCaption, MB_ICONINFORMATION | MB_OK);
  expectBox(1, true, "Configuration saved.", SaveCaption, MB_ICONINFORMATION | MB_OK);
}

TEST_F(Saving, SaveAndRunWritesEvenWithoutChangesAndStartsTheGame) {
  writeFile(ConfigFileName, SampleConfig);
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_SAVE_AND_RUN)});
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_TRUE(us::messageBoxes().empty());
  EXPECT_NE(readFile(ConfigFileName), SampleConfig);
  EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), 800);
  EXPECT_EQ(savedInteger("Sound Setup", "MixRate"), 22050);
  GameRecord game = waitForGame(folder + "/game.record");
  ASSERT_TRUE(game.found);
  EXPECT_EQ(game.argumentCount, 0);
  EXPECT_EQ(game.folder, folder);
}

TEST_F(Saving, SaveAndRunWithoutTheGameSavesReportsAndEndsWithOne) {
  us::expectDialog(MenuCaption, {markChanged(1024), us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  expectBox(0, false, ("Failed starting VEXGAME.EXE.\nvexgame.exe was not found in " + folder + ".").c_str(),
            "Failure starting game", MB_ICONERROR);
  EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), 1024);
}

// Named as it was found, letter case and all, where it was looked for.
TEST_F(Saving, AGameTheSystemWillNotStartIsNamedWithTheReason) {
  writeUnstartableGame("VEXGAME.EXE");
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
#ifdef _WIN32
  std::string reason = "vexgame.exe in " + folder + " could not be started: it is not a program Windows can run.";
#else
  std::string reason = "VEXGAME.EXE in " + folder + " could not be started: permission denied.";
#endif
  expectBox(0, false, ("Failed starting VEXGAME.EXE.\n" + reason).c_str(), "Failure starting game", MB_ICONERROR);
}

// ---- Another program changes gardum.cfg while the menu is open ---------------

const char Theirs[] = "[Mods]\r\nEnabled = 2\r\n";
const char ReplaceQuestion[] =
    "gardum.cfg was changed by another program since it was read. Replace it with the settings shown here?";

// They rewrite it keeping its size and time (only its bytes tell), or make it.
us::Action theyWrite() {
  return us::inspect([](HWND) {
    std::error_code none;
    auto time = std::filesystem::last_write_time(ConfigFileName, none);
    writeFile(ConfigFileName, Theirs);
    if (!none) std::filesystem::last_write_time(ConfigFileName, time);
  });
}

struct ChangeCase {
  const char *name;
  bool fileAtStart;  // "Enabled = 1", the size of Theirs
  std::vector<us::Action> steps;
  std::vector<int> answers;
  const char *boxes;  // R: may it replace theirs?, Q: "Save now?", S: "Configuration saved."
  bool theirsKept;
};
void PrintTo(const ChangeCase &c, std::ostream *out) { *out << c.name; }

class ChangedElsewhere : public FreshFolderTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangedElsewhere, EverySaveAsksBeforeReplacingTheirFileAndNoSavesNothing) {
  const ChangeCase &c = GetParam();
  if (c.fileAtStart) writeFile(ConfigFileName, "[Mods]\r\nEnabled = 1\r\n");
  us::expectDialog(MenuCaption, c.steps);
  for (int answer : c.answers) us::expectMessageBox(answer);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), strlen(c.boxes));
  for (size_t i = 0; c.boxes[i]; i++) {
    if (c.boxes[i] == 'R') expectBox(i, true, ReplaceQuestion, SaveCaption, MB_ICONWARNING | MB_YESNO);
    if (c.boxes[i] == 'Q') expectBox(i, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
    if (c.boxes[i] == 'S') expectBox(i, true, "Configuration saved.", SaveCaption, MB_ICONINFORMATION | MB_OK);
  }
  EXPECT_EQ(readFile(ConfigFileName) == Theirs, c.theirsKept);
  EXPECT_FALSE(GameSettings.runGameOnExit);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChangedElsewhere,
    ::testing::Values(
        // No keeps theirs and the edit; Yes replaces it; the next save asks nothing
        ChangeCase{"SaveNoThenYes", true,
                   {markChanged(1024), theyWrite(), us::click(IDC_MENU_SAVE), us::click(IDC_MENU_SAVE),
                    us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)},
                   {IDNO, IDYES, IDOK, IDOK}, "RRSS", false},
        ChangeCase{"SaveAndRunNo", true, {theyWrite(), us::click(IDC_MENU_SAVE_AND_RUN), us::click(IDC_MENU_EXIT)},
                   {IDNO}, "R", true},
        // at "Exit", No keeps the menu open: leaving asks again
        ChangeCase{"ExitNo", true, {markChanged(1024), theyWrite(), us::click(IDC_MENU_EXIT), us::click(IDC_MENU_EXIT)},
                   {IDYES, IDNO, IDNO}, "QRQ", true},
        ChangeCase{"CreatedMeanwhile", false, {theyWrite(), us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)}, {IDNO},
                   "R", true}),
    [](const ::testing::TestParamInfo<ChangeCase> &info) { return std::string(info.param.name); });

// ---- A save that cannot write gardum.cfg (a folder took its place) ----------

class FailedSave : public FreshFolderTest {
 protected:
  void SetUp() override {
    FreshFolderTest::SetUp();
    writeGameStandIn("vexgame.exe", folder + "/game.record");
    gameFiles = namesInCurrentFolder();
  }
  std::vector<std::string> gameFiles;  // what the stand-in game is made of
  // The folder appears once the menu is open: one there at start-up is
  // reported then already (UnreadableFile below).
  static us::Action blockTheFile() {
    return us::inspect([](HWND) { std::filesystem::create_directory(ConfigFileName); });
  }
  void expectWriteErrorAt(size_t index) {
    expectBox(index, true, "Could not write gardum.cfg.\ngardum.cfg is a folder", SaveCaption, MB_ICONERROR | MB_OK);
  }
};

TEST_F(FailedSave, SaveConfigurationReportsTheFailureAndKeepsTheChange) {
  us::expectDialog(MenuCaption,
                   {blockTheFile(), markChanged(1024), us::click(IDC_MENU_SAVE),
                    us::inspect([](HWND) { EXPECT_TRUE(GameSettings.configChanged); }), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  us::expectMessageBox(IDNO);  // still changed, so leaving asks
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 2u);  // no "Configuration saved."
  expectWriteErrorAt(0);
  expectBox(1, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
}

TEST_F(FailedSave, SaveAndRunReportsTheFailureStaysOpenAndStartsNoGame) {
  us::expectDialog(MenuCaption,
                   {blockTheFile(), us::click(IDC_MENU_SAVE_AND_RUN),
                    us::inspect([](HWND) { EXPECT_FALSE(GameSettings.runGameOnExit); }), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  expectWriteErrorAt(0);
  EXPECT_FALSE(GameSettings.runGameOnExit);
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
  // Nothing but the folder in the file's place: no temporary file left.
  std::vector<std::string> expected = gameFiles;
  expected.push_back(ConfigFileName);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesInCurrentFolder(), expected);
}

TEST_F(FailedSave, ExitAnsweredYesReportsTheFailureAndStaysOpenUntilAnsweredNo) {
  us::expectDialog(MenuCaption,
                   {blockTheFile(), markChanged(1024), us::click(IDC_MENU_EXIT),
                    us::inspect([](HWND) { EXPECT_TRUE(GameSettings.configChanged); }), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDYES);
  us::expectMessageBox(IDOK);
  us::expectMessageBox(IDNO);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 3u);
  expectBox(0, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
  expectWriteErrorAt(1);
  expectBox(2, true, Question, SaveCaption, MB_ICONQUESTION | MB_YESNO);
}

TEST_F(FailedSave, ALoadedFileThatCanNoLongerBeReplacedIsReportedToo) {
  writeFile(ConfigFileName, SampleConfig);
  us::expectDialog(MenuCaption, {us::inspect([](HWND) {
                                   ASSERT_GE(GameSettings.configHandle, 0);
                                   std::filesystem::remove(ConfigFileName);
                                   std::filesystem::create_directory(ConfigFileName);
                                 }),
                                 us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  expectWriteErrorAt(0);
  EXPECT_TRUE(std::filesystem::is_directory(ConfigFileName));
}

// "Save Configuration" over a file the player may read but not write: the
// message box texts, one per line.
static std::string saveOverAReadOnlyFile() {
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  std::string shown = "exit " + std::to_string(tarrengardMain(programInstance())) + "\n";
  us::finished();
  for (const auto &box : us::messageBoxes()) shown += box.text + "\n";
  return shown;
}

TEST_F(FailedSave, AReadOnlyFileIsReportedWithTheReason) {
  writeFile(ConfigFileName, SampleConfig);
  const std::string expected = "exit 0\nCould not write gardum.cfg.\nPermission denied\n";
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesA(ConfigFileName, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(saveOverAReadOnlyFile(), expected);
  SetFileAttributesA(ConfigFileName, FILE_ATTRIBUTE_NORMAL);
#else
  ASSERT_EQ(chmod(ConfigFileName, 0444), 0);
  ordinaryuser::Result run = runAsPlayer(folder, saveOverAReadOnlyFile);
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  EXPECT_EQ(run.report, expected);
#endif
  EXPECT_EQ(readFile(ConfigFileName), SampleConfig);
}

// ---- A gardum.cfg that is there but cannot be read ------------------------------

const char MyModConfig[] =
    "[Screen Setup]\r\n"
    "ScreenWidth = 1600\r\n"
    "\r\n"
    "[MyMod]\r\n"
    "Difficulty = \"nightmare\"\r\n";

std::string unreadableWarning(const char *reason) {
  return std::string("gardum.cfg could not be read (") + reason +
         "). The settings shown are the defaults, and saving will not replace the file.";
}

// Start-up warns (no owner: the menu is not open yet), the menu then shows
// the defaults, and "Save Configuration" refuses rather than put the
// defaults in the file's place. Returns the boxes shown, one per line.
std::string runWithUnreadableFile() {
  static std::string menu;
  menu = "menu never opened\n";
  us::expectMessageBox(IDOK);
  us::expectDialog(MenuCaption, {us::inspect([](HWND) {
                                   menu = "menu: handle " + std::to_string(GameSettings.configHandle) + ", width " +
                                          std::to_string(GameSettings.ScreenWidth) + "\n";
                                 }),
                                 markChanged(1024), us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);  // "Could not write gardum.cfg."
  us::expectMessageBox(IDNO);  // still changed: leaving asks, and is told No
  int code = tarrengardMain(programInstance());
  us::finished();
  std::string shown = menu + "exit " + std::to_string(code) + "\n";
  for (const auto &box : us::messageBoxes())
    shown +=
        (box.owned ? "owned|" : "unowned|") + box.text + "|" + box.caption + "|" + std::to_string(box.style) + "\n";
  return shown;
}

// `kept`: why the save keeps the file, in the player's words.
std::string expectedBoxes(const char *reason, const std::string &kept) {
  return "menu: handle -1, width 640\n"
         "exit 0\n"
         "unowned|" +
         unreadableWarning(reason) + "|" + MenuCaption + "|" + std::to_string(MB_ICONWARNING | MB_OK) +
         "\n"
         "owned|Could not write gardum.cfg.\n" + kept + "|" +
         SaveCaption + "|" + std::to_string(MB_ICONERROR | MB_OK) +
         "\n"
         "owned|" +
         Question + "|" + SaveCaption + "|" + std::to_string(MB_ICONQUESTION | MB_YESNO) + "\n";
}

using UnreadableFile = FreshFolderTest;

TEST_F(UnreadableFile, AFolderInItsPlaceIsNamedAtStartAndStaysAsItWas) {
  std::filesystem::create_directory(ConfigFileName);
  writeFile(std::string(ConfigFileName) + "/inside", "kept");
  EXPECT_EQ(runWithUnreadableFile(), expectedBoxes("Is a directory", "gardum.cfg is a folder"));
  EXPECT_EQ(GameSettings.configReadError, EISDIR);
  EXPECT_EQ(readFile(std::string(ConfigFileName) + "/inside"), "kept");
}

#ifdef _WIN32
// Windows keeps a player from reading a file another program holds open
// without sharing it.
TEST_F(UnreadableFile, AFileThePlayerMayNotReadIsNamedAtStartAndNeverReplaced) {
  writeFile(ConfigFileName, MyModConfig);
  HANDLE held = CreateFileA(ConfigFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(runWithUnreadableFile(), expectedBoxes("Permission denied", "Permission denied"));
  CloseHandle(held);
  EXPECT_EQ(readFile(ConfigFileName), MyModConfig);
  EXPECT_EQ(std::vector<std::string>{ConfigFileName}, [&] {
    std::vector<std::string> names;
    for (const auto &item : std::filesystem::directory_iterator(".")) names.push_back(item.path().filename().string());
    return names;
  }());
}
#else
// The player may not read the file (mode 000); run as an ordinary user, as
// root would read it all the same.
TEST_F(UnreadableFile, AFileThePlayerMayNotReadIsNamedAtStartAndNeverReplaced) {
  writeFile(ConfigFileName, MyModConfig);
  ASSERT_EQ(chmod(ConfigFileName, 0), 0);
  ordinaryuser::Result run = runAsPlayer(folder, runWithUnreadableFile);
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  EXPECT_EQ(run.report, expectedBoxes("Permission denied", "Permission denied"));
  ASSERT_EQ(chmod(ConfigFileName, 0600), 0);
  EXPECT_EQ(readFile(ConfigFileName), MyModConfig);
  EXPECT_EQ(std::vector<std::string>{ConfigFileName}, [&] {
    std::vector<std::string> names;
    for (const auto &item : std::filesystem::directory_iterator(".")) names.push_back(item.path().filename().string());
    return names;
  }());
}
#endif

// A kernel attribute file states more bytes than a read gives, so it cannot
// be read whole. Empty when this system has none.
std::string fileShorterThanItsSize() {
#ifdef _WIN32
  return {};  // Windows has no such files
#endif
  for (const char *path :
       {"/sys/kernel/uevent_seqnum", "/sys/kernel/profiling", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
    struct stat info;
    if (stat(path, &info) == 0 && S_ISREG(info.st_mode) && (long)readFile(path).size() < (long)info.st_size)
      return path;
  }
  return {};
}

TEST_F(UnreadableFile, AFileThatCannotBeReadWholeIsNamedAtStartInsteadOfEndingTheProgram) {
  std::string source = fileShorterThanItsSize();
  if (source.empty()) GTEST_SKIP() << "no file on this system claims more bytes than it gives";
  std::filesystem::create_symlink(source, ConfigFileName);
  // The link leads out of the game folder: the warning names its file.
  std::string expected = expectedBoxes("the file changed as it was read", "gardum.cfg changed as it was read at start");
  const std::string end = "will not replace the file.";
  expected.insert(expected.find(end) + end.size(),
                  " gardum.cfg is a link to " + std::filesystem::canonical(source).string() + ", outside the game folder.");
  EXPECT_EQ(runWithUnreadableFile(), expected);
  EXPECT_TRUE(std::filesystem::is_symlink(ConfigFileName));
}

// A file of `size` bytes that takes no room on the disk.
static bool makeSparseFile(const char *path, unsigned long long size) {
#ifdef _WIN32
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD ignored;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);  // where the disk can
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
#else
  writeFile(path, "");
  return truncate(path, static_cast<off_t>(size)) == 0;
#endif
}

// A gardum.cfg larger than a long can count (4 GiB and 36 bytes, where a long
// has 32 bits, as on Windows) cannot be held: named at start like any file
// that cannot be read, and left as it was.
TEST_F(UnreadableFile, AFileTooBigToHoldIsNamedAtStartAndLeftAlone) {
  if (sizeof(long) > 4) GTEST_SKIP() << "a long counts the bytes of a 4 GiB file here, so it is read, not refused";
  const unsigned long long size = (4ull << 30) + 36;
  ASSERT_TRUE(makeSparseFile(ConfigFileName, size));
  EXPECT_EQ(runWithUnreadableFile(), expectedBoxes(std::strerror(EFBIG), "The file is too large for this system"));
  EXPECT_EQ(GameSettings.configReadError, EFBIG);
  EXPECT_EQ(std::filesystem::file_size(ConfigFileName), size);
}


// ---- Where the configurator looks --------------------------------------------

using CurrentFolder = FreshFolderTest;

TEST_F(CurrentFolder, FileAndGameComeFromTheCurrentFolderNotFromAnotherOne) {
  // The configurator is started in a subfolder of a folder that holds its own
  // gardum.cfg and game; only the current folder's may be used.
  std::string outer = folder;
  writeFile(outer + "/gardum.cfg", "[Screen Setup]\r\nScreenWidth = 1600\r\n");
  writeGameStandIn(outer + "/vexgame.exe", outer + "/outer.record");
  std::filesystem::create_directory(outer + "/game");
  std::filesystem::current_path("game");
  std::string inner = folderAsAGameSeesIt();
  writeFile(ConfigFileName, SampleConfig);
  writeGameStandIn("vexgame.exe", outer + "/inner.record");

  us::expectDialog(MenuCaption, {us::inspect([](HWND) { EXPECT_EQ(GameSettings.ScreenWidth, 800); }), markChanged(1280),
                                 us::click(IDC_MENU_SAVE_AND_RUN)});
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(savedInteger("Screen Setup", "ScreenWidth"), 1280);
  EXPECT_EQ(readFile(outer + "/gardum.cfg"), "[Screen Setup]\r\nScreenWidth = 1600\r\n");
  GameRecord game = waitForGame(outer + "/inner.record");
  ASSERT_TRUE(game.found);
  EXPECT_EQ(game.folder, inner);
  EXPECT_FALSE(gameStarted(outer + "/outer.record"));
}

// ---- The menu window -------------------------------------------------------------

using MenuWindow = FreshFolderTest;

TEST_F(MenuWindow, CarriesTheProgramIcon) {
  us::expectDialog(MenuCaption, {us::inspect([](HWND menu) {
                                   HICON icon = LoadIconA(programInstance(), MAKEINTRESOURCEA(IDI_TARRENGARD));
                                   ASSERT_NE(icon, nullptr);
                                   EXPECT_EQ(GetClassLongPtrA(menu, GCLP_HICON), (ULONG_PTR)icon);
                                 }),
                                 us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(runConfigurator(), 0);
}

using CategoryButtons = FreshFolderTest;

TEST_F(CategoryButtons, OpenTheirDialogsOwnedByTheMenuAndReturnToIt) {
  us::expectDialog(MenuCaption,
                   {us::click(IDC_MENU_MUSIC_SOUND_VIDEO), us::click(IDC_MENU_INPUT_DEVICES),
                    us::inspect([](HWND) { GameSettings.configChanged = false; }), us::click(IDC_MENU_EXIT)});
  us::expectDialog("Music, Sound and Video", {us::click(IDOK)});
  us::expectDialog("Input Devices", {us::click(IDOK)});
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(us::dialogsOpened(), (std::vector<std::string>{MenuCaption, "Music, Sound and Video", "Input Devices"}));
}
