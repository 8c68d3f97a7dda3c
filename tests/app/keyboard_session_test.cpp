// A player who never touches the mouse, from start-up to exit: where the
// focus is when each dialog opens, Tab and Shift+Tab in template order,
// Enter on the focused or the default button, Escape, arrows in lists, on a
// closed drop-down list and on track bars, type-ahead in the sorted key
// list; and gardum.cfg byte for byte as each session leaves it, against the
// default file that a save of untouched settings writes.
#include <utility>

#include "app_test_support.h"
#include "embedded/DefaultGardumCfg.h"
#include "tests/harness/scripted_user/test_midi_devices.h"
#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {

const char Menu[] = "Tarrengard Configuration";
const char SaveCaption[] = "Save Configuration Changes";
const char InputDevices[] = "Input Devices";
const char AdvancedMouse[] = "Advanced Mouse Options";

// The default file with whole lines replaced; each must be in it.
std::string defaultsWith(const std::vector<std::pair<std::string, std::string>> &lines) {
  std::string text(DefaultGardumCfg);
  for (const auto &[from, to] : lines) {
    size_t at = text.find("\r\n" + from + "\r\n");
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at + 2, from.size(), to);
  }
  return text;
}

us::Action focusIs(int id) {
  return us::inspect([id](HWND dialog) {
    HWND focus = GetFocus();
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_EQ(focus ? GetDlgCtrlID(focus) : 0, id) << "the focus in \"" << caption << "\"";
  });
}

std::string text(HWND dialog, int id) {
  char buffer[256] = "";
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;
}

std::string selectedRow(HWND dialog, int id, bool dropDown) {
  UINT current = dropDown ? CB_GETCURSEL : LB_GETCURSEL;
  UINT length = dropDown ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  UINT get = dropDown ? CB_GETLBTEXT : LB_GETTEXT;
  LRESULT row = SendDlgItemMessageA(dialog, id, current, 0, 0);
  if (row < 0) return "<none>";
  std::string shown(static_cast<size_t>(SendDlgItemMessageA(dialog, id, length, row, 0)) + 1, '\0');
  SendDlgItemMessageA(dialog, id, get, row, reinterpret_cast<LPARAM>(shown.data()));
  shown.resize(shown.size() - 1);
  return shown;
}

us::Action expectText(int id, const char *expected) {
  return us::inspect([=](HWND dialog) { EXPECT_EQ(text(dialog, id), expected) << "control " << id; });
}

us::Action expectSelected(int id, bool dropDown, const char *expected) {
  return us::inspect([=](HWND dialog) { EXPECT_EQ(selectedRow(dialog, id, dropDown), expected) << "control " << id; });
}

// `count` presses of one key.
std::vector<us::Action> presses(int key, int count) { return std::vector<us::Action>(count, us::key(key)); }

std::vector<us::Action> join(std::initializer_list<std::vector<us::Action>> parts) {
  std::vector<us::Action> all;
  for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class KeyboardSession : public FreshFolderTest {
 protected:
  void SetUp() override {
    FreshFolderTest::SetUp();
    // One device, so that opening "Music, Sound and Video" keeps device 0.
    const std::vector<std::string> devices = {"Wavetable Synth"};
    setMidiOutDevicesForTesting(&devices);
  }
  void TearDown() override {
    setMidiOutDevicesForTesting(nullptr);
    FreshFolderTest::TearDown();
  }

  void expectOnlyBox(const char *text, const char *caption) {
    ASSERT_EQ(us::messageBoxes().size(), 1u);
    EXPECT_EQ(us::messageBoxes()[0].text, text);
    EXPECT_EQ(us::messageBoxes()[0].caption, caption);
  }
};

TEST_F(KeyboardSession, TabReachesSaveConfigurationWhichWritesTheDefaultFileByteForByte) {
  us::expectDialog(Menu, join({{focusIs(IDC_MENU_EXIT)},
                               presses(VK_TAB, 3),
                               {focusIs(IDC_MENU_SAVE), us::key(VK_RETURN),
                                us::inspect([](HWND) { EXPECT_EQ(readFile("gardum.cfg"), DefaultGardumCfg); }),
                                us::key(VK_ESCAPE)}}));
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  expectOnlyBox("Configuration saved.", SaveCaption);  // and leaving after the save asks nothing
  EXPECT_EQ(namesInCurrentFolder(), std::vector<std::string>{"gardum.cfg"});
}

TEST_F(KeyboardSession, EnterSavesTwiceOverAFileAndWritesItsValuesAndOtherSectionsBackUnchanged) {
  // Key names as the key table spells them ("Kpad6"): loading maps the names
  // onto that table, so a saved file always spells them so.
  std::string loaded = defaultsWith({{"ScreenWidth = 640", "ScreenWidth = 1024"},
                                     {"ScreenHeight = 480", "ScreenHeight = 768"},
                                     {"ScreenBPP = 8", "ScreenBPP = 16"}});
  for (size_t at = loaded.find("\"KPad"); at != std::string::npos; at = loaded.find("\"KPad", at)) loaded[at + 2] = 'p';
  loaded += "\r\n[Extra]\r\nName = keep\r\n";
  writeFile("gardum.cfg", loaded);
  auto longAgo = std::filesystem::last_write_time("gardum.cfg") - std::chrono::hours(24 * 365);
  std::filesystem::last_write_time("gardum.cfg", longAgo);
  // The focus stays on Save Configuration, so Enter saves again.
  us::expectDialog(Menu, join({presses(VK_TAB, 3),
                               {focusIs(IDC_MENU_SAVE), us::key(VK_RETURN), us::key(VK_RETURN), focusIs(IDC_MENU_SAVE),
                                us::key(VK_ESCAPE)}}));
  us::expectMessageBox(IDOK);
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(us::messageBoxes().size(), 2u);
  EXPECT_GT(std::filesystem::last_write_time("gardum.cfg"), longAgo);  // replaced
  EXPECT_EQ(readFile("gardum.cfg"), loaded);
  EXPECT_EQ(namesInCurrentFolder(), std::vector<std::string>{"gardum.cfg"});  // no temporary file left
}

TEST_F(KeyboardSession, ANewResolutionByKeyboardThenSaveAndRunStartsTheGameInAFolderWithABlank) {
  // As under "Program Files".
  std::filesystem::create_directory("Tarrengard Game");
  std::filesystem::current_path("Tarrengard Game");
  std::string gameFolder = folderAsAGameSeesIt();
  std::string record = gameFolder + "/game.record";
  writeGameStandIn("vexgame.exe", record);
  us::expectDialog(Menu, join({{us::key(VK_TAB), focusIs(IDC_MENU_MUSIC_SOUND_VIDEO), us::key(VK_RETURN),
                                focusIs(IDC_MENU_MUSIC_SOUND_VIDEO)},
                               presses(VK_TAB, 3),
                               {focusIs(IDC_MENU_SAVE_AND_RUN), us::key(VK_RETURN)}}));
  // From Enabled backwards over Close and Fullscreen to the list; Down on the
  // closed list picks the next row; Enter there is the default button, Close.
  us::expectDialog("Music, Sound and Video",
                   join({{focusIs(IDC_MSV_MUSIC_ENABLED), expectSelected(IDC_MSV_RESOLUTION, true, "640x480 8bpp")},
                         std::vector<us::Action>(3, us::shiftTab()),
                         {focusIs(IDC_MSV_RESOLUTION), us::key(VK_DOWN),
                          expectSelected(IDC_MSV_RESOLUTION, true, "800x600 8bpp"), us::key(VK_RETURN)}}));
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_TRUE(us::messageBoxes().empty());
  EXPECT_EQ(readFile("gardum.cfg"),
            defaultsWith({{"ScreenWidth = 640", "ScreenWidth = 800"}, {"ScreenHeight = 480", "ScreenHeight = 600"}}));
  GameRecord game = waitForGame(record);
  ASSERT_TRUE(game.found);
  EXPECT_EQ(game.argumentCount, 0);
  EXPECT_EQ(game.folder, gameFolder);
}

TEST_F(KeyboardSession, ShiftTabWrapsToSaveAndRunWhichWithoutTheGameSavesSaysSoAndEndsWithOne) {
  us::expectDialog(Menu, {focusIs(IDC_MENU_EXIT), us::shiftTab(), focusIs(IDC_MENU_SAVE_AND_RUN), us::key(VK_RETURN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  expectOnlyBox(("Failed starting VEXGAME.EXE.\nvexgame.exe was not found in " + folder + ".").c_str(),
                "Failure starting game");
  EXPECT_EQ(readFile("gardum.cfg"), DefaultGardumCfg);  // saved before the launch
}

TEST_F(KeyboardSession, TheMouseScalesWithTheTrackBarKeysPageUpGoingDown) {
  us::expectDialog(Menu, join({presses(VK_TAB, 2),
                               {focusIs(IDC_MENU_INPUT_DEVICES), us::key(VK_RETURN), us::key(VK_TAB),
                                focusIs(IDC_MENU_SAVE), us::key(VK_RETURN), us::key(VK_ESCAPE)}}));
  // Select Secondary, Select Primary, the actions, Select, the mouse list,
  // Close, Advanced...
  us::expectDialog(InputDevices, join({{focusIs(IDC_INPUT_SELECT_SECONDARY)},
                                       presses(VK_TAB, 6),
                                       {focusIs(IDC_INPUT_ADVANCED), us::key(VK_RETURN), us::key(VK_ESCAPE)}}));
  us::expectDialog(AdvancedMouse,
                   {focusIs(IDC_MOUSE_X_SCALE), expectText(IDC_MOUSE_X_LABEL, " 1.0"), us::key(VK_RIGHT),
                    expectText(IDC_MOUSE_X_LABEL, " 1.1"), us::key(VK_PRIOR), expectText(IDC_MOUSE_X_LABEL, " 0.1"),
                    us::key(VK_TAB), focusIs(IDC_MOUSE_Y_SCALE), us::key(VK_NEXT),
                    expectText(IDC_MOUSE_Y_LABEL, " 2.0"), us::inspect([](HWND dialog) {
                      EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MOUSE_X_SCALE, TBM_GETPOS, 0, 0), 1);
                      EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_GETPOS, 0, 0), 20);
                    }),
                    us::key(VK_RETURN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  // Position 1 is 65536 / 10 = 6553 (truncated), position 20 is 131072.
  EXPECT_EQ(readFile("gardum.cfg"), defaultsWith({{"MouseAnalogScale0 = 65536", "MouseAnalogScale0 = 6553"},
                                                  {"MouseAnalogScale1 = 65536", "MouseAnalogScale1 = 131072"}}));
}

TEST_F(KeyboardSession, JumpOnXByArrowsAndTypingIntoTheSortedKeyList) {
  us::expectDialog(
      Menu,
      join({presses(VK_TAB, 2),
            {us::key(VK_RETURN), us::key(VK_TAB), focusIs(IDC_MENU_SAVE), us::key(VK_RETURN), us::key(VK_ESCAPE)}}));
  // Into the action list; the first Down selects row 0, nine more reach Jump.
  us::expectDialog(InputDevices, join({presses(VK_TAB, 2),
                                       {focusIs(IDC_INPUT_ACTIONS)},
                                       presses(VK_DOWN, 10),
                                       {expectSelected(IDC_INPUT_ACTIONS, false, "Jump\tA\t/"), us::shiftTab(),
                                        focusIs(IDC_INPUT_SELECT_PRIMARY), us::key(VK_RETURN),
                                        expectSelected(IDC_INPUT_ACTIONS, false, "Jump\tX\t/"), us::key(VK_ESCAPE)}}));
  us::expectDialog("Select Primary Key", {expectText(IDC_SELECT_TARGET, "Jump"), focusIs(IDC_SELECT_LIST),
                                          expectSelected(IDC_SELECT_LIST, false, "A"), us::key('X'),
                                          expectSelected(IDC_SELECT_LIST, false, "X"), us::key(VK_RETURN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(readFile("gardum.cfg"), defaultsWith({{"Jump = \"A\" \"/\"", "Jump = \"X\" \"/\""}}));
}

// Every dialog once, each left with Escape or Close; the cancelled choices
// still count as edits, so leaving asks, and No writes nothing.
TEST_F(KeyboardSession, ATourOfTheInputDialogsThenLeavingAnsweredNoWritesNothing) {
  if (runningUnderWine())
    GTEST_SKIP() << "Wine's Tab stops on each button of the Toggle/Momentary radio group, where Windows stops once, "
                    "on the checked one (docs/platform.md, where Wine differs)";
  us::expectDialog(
      Menu, join({presses(VK_TAB, 2), {us::key(VK_RETURN), focusIs(IDC_MENU_INPUT_DEVICES), us::key(VK_ESCAPE)}}));
  us::expectDialog(
      InputDevices,
      join({presses(VK_TAB, 2),
            {focusIs(IDC_INPUT_ACTIONS), us::key(VK_DOWN), us::shiftTab(), us::key(VK_RETURN)},
            presses(VK_TAB, 3),
            {focusIs(IDC_INPUT_MOUSE_LIST), us::key(VK_DOWN), us::shiftTab(), focusIs(IDC_INPUT_MOUSE_SELECT),
             us::key(VK_RETURN)},
            presses(VK_TAB, 3),
            {focusIs(IDC_INPUT_ADVANCED), us::key(VK_RETURN), us::shiftTab(), focusIs(IDOK), us::key(VK_RETURN)}}));
  us::expectDialog("Select Primary Key", {us::key(VK_ESCAPE)});
  us::expectDialog("Select Function", {expectText(IDC_SELECT_TARGET, "Mouse Left"), us::key(VK_ESCAPE)});
  // X scale, Y scale, the aiming pair, the two analogue lists, then Up.
  us::expectDialog(AdvancedMouse, join({presses(VK_TAB, 5),
                                        {focusIs(IDC_MOUSE_DIGITAL_UP), us::key(VK_RETURN)},
                                        presses(VK_TAB, 4),
                                        {focusIs(IDOK), us::key(VK_RETURN)}}));
  us::expectDialog("Select Function", {expectText(IDC_SELECT_TARGET, "Mouse Digital Up"), us::key(VK_ESCAPE)});
  us::expectMessageBox(IDNO);
  EXPECT_EQ(runConfigurator(), 0);
  expectOnlyBox("Your configuration has been changed. Save now?", SaveCaption);
  EXPECT_EQ(us::dialogsOpened(), (std::vector<std::string>{Menu, InputDevices, "Select Primary Key", "Select Function",
                                                           AdvancedMouse, "Select Function"}));
  EXPECT_EQ(namesInCurrentFolder(), std::vector<std::string>{});
}

}  // namespace
