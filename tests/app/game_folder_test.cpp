// The game folder end to end: a folder on the command line, the remembered
// folder or the folder chooser with --choose-folder, the folder in use as the
// main menu's tooltip, and what start-up says about lines of gardum.cfg it
// could not read. Dialogs are looked at only through the Win32 calls and
// platform/desktop.h.
#include "app_test_support.h"

#include <cstring>
#include <filesystem>

#include "app/game_folder.h"
#include "platform/desktop.h"
#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {

const char MenuCaption[] = "Tarrengard Configuration";

std::string toolTipOf(HWND window) {
  char text[4096];
  getWindowToolTip(window, text, sizeof text);
  return text;
}

// A gardum.cfg that says where it was read from.
void writeConfigWithWidth(const std::string &folder, int width) {
  writeFile(folder + "/gardum.cfg", "[Screen Setup]\r\nScreenWidth = " + std::to_string(width) + "\r\n");
}

// The menu as it opens: the width that was loaded and the tooltip, then Exit.
us::Action lookAtMenu(int *width, std::string *toolTip) {
  return us::inspect([width, toolTip](HWND menu) {
    *width = GameSettings.ScreenWidth;
    *toolTip = toolTipOf(menu);
  });
}

class GameFolder : public FreshFolderTest {
 protected:
  void SetUp() override {
    FreshFolderTest::SetUp();
    storeRememberedFolder("");  // every test says what is remembered
  }
  void TearDown() override {
    storeRememberedFolder("");
    FreshFolderTest::TearDown();
  }

  // A new folder below the test's folder (names may hold blanks).
  std::string makeFolder(const std::string &name) {
    // As the system names it (backslashes on Windows), like the program shows it.
    std::string path = std::filesystem::path(folder + "/" + name).make_preferred().string();
    std::filesystem::create_directories(path);
    return path;
  }

  int run(std::vector<std::string> arguments) {
    int code = tarrengardMain(programInstance(), arguments);
    EXPECT_TRUE(us::finished());
    return code;
  }
};

}  // namespace

// ---- GAME_FOLDER on the command line ----------------------------------------------

TEST_F(GameFolder, AFolderArgumentIsWorkedInAsIfStartedThere) {
  std::string game = makeFolder("My Games/Tarrengard");
  writeConfigWithWidth(game, 1152);
  int width = 0;
  std::string toolTip;
  us::expectDialog(MenuCaption, {lookAtMenu(&width, &toolTip), us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);  // "Configuration saved."
  EXPECT_EQ(run({game}), 0);
  EXPECT_EQ(width, 1152);  // read from there
  EXPECT_EQ(toolTip, game);
  EXPECT_NE(readFile(game + "/gardum.cfg").find("Sound Setup"), std::string::npos);  // saved there
  EXPECT_FALSE(std::filesystem::exists(folder + "/gardum.cfg"));
}

TEST_F(GameFolder, ARelativeFolderAndOneAfterDoubleDashAreTakenFromWhereItStarted) {
  std::string game = makeFolder("-game");
  writeConfigWithWidth(game, 800);
  for (const std::vector<std::string> &arguments :
       {std::vector<std::string>{"./-game"}, std::vector<std::string>{"--", "-game"}}) {
    SCOPED_TRACE(arguments.back());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    int width = 0;
    std::string toolTip;
    us::expectDialog(MenuCaption, {lookAtMenu(&width, &toolTip), us::click(IDC_MENU_EXIT)});
    EXPECT_EQ(run(arguments), 0);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(toolTip, game);
  }
}

TEST_F(GameFolder, WithoutArgumentsTheCurrentFolderIsUsedAndShownAsTheMenusTooltip) {
  int width = 0;
  std::string toolTip;
  us::expectDialog(MenuCaption, {lookAtMenu(&width, &toolTip), us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(toolTip, folder);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/gardum.cfg"));  // the first save creates it
  EXPECT_TRUE(us::folderChoosers().empty());
}

// A folder that cannot be worked in, or a command line that cannot be read:
// one error box before anything else, nothing written, status 1.
struct BadStart {
  const char *name;
  std::vector<std::string> arguments;  // "@" stands for the test's folder
  std::vector<std::string> textHolds;  // so it does here
};

class BadCommandLine : public GameFolder, public ::testing::WithParamInterface<BadStart> {};

TEST_P(BadCommandLine, IsAnErrorBoxAndStatusOneWithNothingWritten) {
  writeFile(folder + "/plain file", "not a folder");
  auto withFolder = [this](std::string text) {
    size_t at = text.find('@');
    return at == std::string::npos ? text : text.replace(at, 1, folder);
  };
  std::vector<std::string> arguments;
  for (const std::string &argument : GetParam().arguments) arguments.push_back(withFolder(argument));
  us::expectMessageBox(IDOK);
  EXPECT_EQ(run(arguments), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  const us::MessageBoxRecord &box = us::messageBoxes()[0];
  EXPECT_FALSE(box.owned);
  EXPECT_EQ(box.caption, MenuCaption);
  EXPECT_EQ(box.style, MB_ICONERROR | MB_OK);
  for (const std::string &pattern : GetParam().textHolds) {
    std::string part = withFolder(pattern);
    EXPECT_NE(box.text.find(part), std::string::npos) << "\"" << part << "\" not in: " << box.text;
  }
  // A folder's reason is the system's own text (Windows and Wine word it
  // differently; the layer off Windows is checked on its own).
  size_t reason = box.text.find("cannot be opened:\n");
  if (reason != std::string::npos) {
    EXPECT_GT(box.text.size(), reason + 18) << box.text;
  }
  EXPECT_TRUE(us::dialogsOpened().empty());
  EXPECT_TRUE(us::folderChoosers().empty());
  EXPECT_FALSE(std::filesystem::exists(folder + "/gardum.cfg"));
  EXPECT_EQ(currentFolder(), folder);
}

INSTANTIATE_TEST_SUITE_P(
    FoldersAndOptions, BadCommandLine,
    ::testing::Values(
        BadStart{"MissingFolder", {"@/no such folder"}, {"The game folder \"@/no such folder\" cannot be opened:\n"}},
        BadStart{"AFileInItsPlace", {"@/plain file"}, {"The game folder \"@/plain file\" cannot be opened:\n"}},
        BadStart{"EmptyName", {""}, {"The game folder \"\" cannot be opened:\n"}},
        BadStart{"UnknownOption", {"--bogus"}, {"Unknown option \"--bogus\".", "tarrengard-setup [GAME_FOLDER]"}},
        BadStart{"TwoFolders", {"@", "@"}, {"Only one game folder"}},
        BadStart{"FolderAndChooser", {"--choose-folder", "@"}, {"cannot be given together"}},
        BadStart{"AskAlone", {"--ask"}, {"--ask goes with --choose-folder"}}),
    [](const ::testing::TestParamInfo<BadStart> &info) { return std::string(info.param.name); });

// ---- --choose-folder: the remembered folder, or the chooser ----------------------------

struct Remembered {
  const char *name;
  const char *rememberedHolds;  // file placed in the remembered folder; "" none; null: nothing remembered
  bool ask;
  bool chooserShown;
};

class ChooseFolder : public GameFolder, public ::testing::WithParamInterface<Remembered> {};

TEST_P(ChooseFolder, UsesTheRememberedFolderWhileItHoldsTheGameElseAsksAndRemembers) {
  const Remembered &c = GetParam();
  std::string remembered = makeFolder("remembered");
  std::string chosen = makeFolder("chosen one");
  writeConfigWithWidth(chosen, 1024);
  if (c.rememberedHolds) {
    if (*c.rememberedHolds) writeFile(remembered + "/" + c.rememberedHolds, "[Screen Setup]\r\nScreenWidth = 800\r\n");
    ASSERT_TRUE(storeRememberedFolder(remembered));
  }
  if (c.chooserShown) us::expectFolderChooser(chosen);
  int width = 0;
  std::string toolTip;
  us::expectDialog(MenuCaption, {lookAtMenu(&width, &toolTip), us::click(IDC_MENU_EXIT)});
  std::vector<std::string> arguments = {"--choose-folder"};
  if (c.ask) arguments.push_back("--ask");
  EXPECT_EQ(run(arguments), 0);

  std::string expected = c.chooserShown ? chosen : remembered;
  EXPECT_EQ(toolTip, expected);
  // The configuration is read in any letter case, as the game reads it.
  std::string holds = c.rememberedHolds ? c.rememberedHolds : "";
  std::transform(holds.begin(), holds.end(), holds.begin(), [](unsigned char l) { return std::tolower(l); });
  bool readsRemembered = holds == ConfigFileName;
  EXPECT_EQ(width, c.chooserShown ? 1024 : readsRemembered ? 800 : 640);
  std::string now;
  EXPECT_TRUE(loadRememberedFolder(&now));
  EXPECT_EQ(now, expected);
  ASSERT_EQ(us::folderChoosers().size(), c.chooserShown ? 1u : 0u);
  if (c.chooserShown && c.rememberedHolds) {
    EXPECT_EQ(us::folderChoosers()[0].start, remembered);  // opened there
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ChooseFolder,
                         ::testing::Values(Remembered{"RememberedWithItsConfiguration", "gardum.cfg", false, false},
                                           Remembered{"RememberedWithTheGameInCapitals", "VEXGAME.EXE", false, false},
                                           Remembered{"RememberedWithTheConfigurationInMixedCase", "Gardum.Cfg", false,
                                                      false},
                                           Remembered{"RememberedButEmptiedSince", "", false, true},
                                           Remembered{"RememberedButHoldingSomethingElse", "readme.txt", false, true},
                                           Remembered{"NothingRemembered", nullptr, false, true},
                                           Remembered{"AskEvenThoughTheRememberedOneIsGood", "gardum.cfg", true, true}),
                         [](const ::testing::TestParamInfo<Remembered> &info) { return std::string(info.param.name); });

TEST_F(GameFolder, AFolderNamedLikeTheGameDoesNotMakeARememberedFolderValid) {
  std::string remembered = makeFolder("remembered");
  std::filesystem::create_directory(remembered + "/gardum.cfg");
  ASSERT_TRUE(storeRememberedFolder(remembered));
  EXPECT_FALSE(holdsGame(remembered));
  writeFile(remembered + "/vexgame.exe", "");
  EXPECT_TRUE(holdsGame(remembered));
  EXPECT_FALSE(holdsGame(remembered + "/missing"));
}

TEST_F(GameFolder, AChosenFolderWithoutTheGameIsUsedOnlyWhenTheUserSaysSo) {
  std::string empty = makeFolder("empty"), game = makeFolder("game");
  writeConfigWithWidth(game, 1024);
  us::expectFolderChooser(empty);
  us::expectMessageBox(IDNO);  // chooses again, at that folder
  us::expectFolderChooser(game);
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(run({"--choose-folder"}), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_EQ(us::messageBoxes()[0].text, "This folder holds neither vexgame.exe nor gardum.cfg. Use it anyway?");
  EXPECT_EQ(us::messageBoxes()[0].style & MB_TYPEMASK, MB_YESNO);
  ASSERT_EQ(us::folderChoosers().size(), 2u);
  EXPECT_EQ(us::folderChoosers()[1].start, empty);
  std::string now;
  EXPECT_TRUE(loadRememberedFolder(&now));
  EXPECT_EQ(now, game);
}

#ifndef _WIN32
// Off Windows these are two files, and the game under Wine opens the one of
// its exact name: so does the configurator, and it says so.
TEST_F(GameFolder, OfNamesDifferingOnlyInCaseTheExactOneIsUsedAndNamed) {
  writeConfigWithWidth(folder, 800);
  writeFile("GARDUM.CFG", "[Screen Setup]\r\nScreenWidth = 1024\r\n");
  int width = 0;
  std::string toolTip;
  us::expectMessageBox(IDOK);
  us::expectDialog(MenuCaption, {lookAtMenu(&width, &toolTip), us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(width, 800);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_NE(us::messageBoxes()[0].text.find(": gardum.cfg is used"), std::string::npos) << us::messageBoxes()[0].text;
}
#endif

TEST_F(GameFolder, CancellingTheChooserEndsWithZeroAndChangesNothing) {
  std::string remembered = makeFolder("remembered");  // empty: the chooser opens
  ASSERT_TRUE(storeRememberedFolder(remembered));
  us::expectFolderChooser("");
  EXPECT_EQ(run({"--choose-folder"}), 0);
  ASSERT_EQ(us::folderChoosers().size(), 1u);
  EXPECT_EQ(us::folderChoosers()[0].chosen, "");
  EXPECT_TRUE(us::dialogsOpened().empty());
  EXPECT_TRUE(us::messageBoxes().empty());
  std::string now;
  EXPECT_TRUE(loadRememberedFolder(&now));
  EXPECT_EQ(now, remembered);
  EXPECT_FALSE(std::filesystem::exists(folder + "/gardum.cfg"));
  EXPECT_FALSE(std::filesystem::exists(remembered + "/gardum.cfg"));
  EXPECT_EQ(currentFolder(), folder);
}

// ---- Lines of gardum.cfg the parser could not read ---------------------------------

struct UnreadLines {
  const char *name;
  std::string file;
  std::string warning;  // "" for none
};

class ParserDiagnostics : public GameFolder, public ::testing::WithParamInterface<UnreadLines> {};

// The warning comes before the menu, unowned; the menu then works as ever.
TEST_P(ParserDiagnostics, AreToldOnceBeforeTheMenu) {
  if (!GetParam().file.empty()) writeFile(ConfigFileName, GetParam().file);
  bool warned = !GetParam().warning.empty();
  if (warned) us::expectMessageBox(IDOK);
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(run({}), 0);
  ASSERT_EQ(us::messageBoxes().size(), warned ? 1u : 0u);
  if (!warned) return;
  const us::MessageBoxRecord &box = us::messageBoxes()[0];
  EXPECT_FALSE(box.owned);
  EXPECT_EQ(box.caption, MenuCaption);
  EXPECT_EQ(box.style, MB_ICONWARNING | MB_OK);
  EXPECT_EQ(box.text, GetParam().warning);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParserDiagnostics,
    ::testing::Values(UnreadLines{"MissingFile", "", ""},
                      UnreadLines{"CleanFile", "[Screen Setup]\r\nScreenWidth = 800\r\n", ""},
                      UnreadLines{"OneLine", "[Screen Setup]\r\n1024x768\r\nScreenWidth = 800\r\n",
                                  "1 line of gardum.cfg could not be read:\n\n"
                                  "Illegal character (ASCII 49) on line 2.\n"
                                  "    \"1024x768\"\n"
                                  "\nThat line will be dropped when the configuration is saved."},
                      // A semicolon inside a key gives two diagnostics for one line.
                      UnreadLines{"ManyLines",
                                  "[Screen Setup]\r\n"
                                  "_a\r\n"
                                  "key ; comment\r\n"
                                  "[broken\r\n"
                                  "ScreenWidth = 800\r\n"
                                  "word\r\n"
                                  "9\r\n"
                                  "=x\r\n"
                                  "\"q\r\n",
                                  "7 lines of gardum.cfg could not be read:\n\n"
                                  "Illegal character (ASCII 95) on line 2.\n"
                                  "    \"_a\"\n"
                                  "Unexpected comment on line 3.\n"
                                  "Unexpected newline on line 3.\n"
                                  "    \"key ; comment\"\n"
                                  "Unexpected newline on line 4.\n"
                                  "    \"[broken\"\n"
                                  "Unexpected newline on line 6.\n"
                                  "    \"word\"\n"
                                  "...and 3 more.\n"
                                  "\nThese lines will be dropped when the configuration is saved."},
                      // The parser drops a header without "]" at the end silently.
                      UnreadLines{"UnfinishedLastLine", "[Screen Setup]\r\nScreenWidth = 800\r\n[Scre",
                                  "The last line of gardum.cfg, \"[Scre\", is unfinished and will not be kept "
                                  "when saving."},
                      // Blanks before it skipped, control characters shown safely, a long line cut.
                      UnreadLines{"LongAndOddLines",
                                  "\t \x1b[31mred\r\n" + std::string(70, '9') + "\r\nScreenWidth = 800\r\nJump",
                                  "2 lines of gardum.cfg could not be read:\n\n"
                                  "Illegal character (ASCII 27) on line 1.\n"
                                  "    \"?[31mred\"\n"
                                  "Illegal character (ASCII 57) on line 2.\n"
                                  "    \"" + std::string(57, '9') + "...\"\n"
                                  "\nThese lines will be dropped when the configuration is saved.\n\n"
                                  "The last line, \"Jump\", is unfinished and will not be kept when saving."}),
    [](const ::testing::TestParamInfo<UnreadLines> &info) { return std::string(info.param.name); });

// The unreadable-file warning already says the defaults are shown: the
// parser never ran, and nothing more is said.
TEST_F(GameFolder, AnUnreadableFileGetsOnlyItsOwnWarning) {
  std::filesystem::create_directory(ConfigFileName);
  us::expectMessageBox(IDOK);
  us::expectDialog(MenuCaption, {us::click(IDC_MENU_EXIT)});
  EXPECT_EQ(run({}), 0);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_NE(us::messageBoxes()[0].text.find("could not be read (Is a directory)"), std::string::npos);
}

// ---- The folder argument in a process of its own -------------------------------------

TEST_F(GameFolder, AsAProcessAGoodFolderIsSavedToAndABadOneEndsWithOne) {
  if (scriptedSetupProgram().empty()) GTEST_SKIP() << "built without the configurator program";
  std::string game = makeFolder("game folder");
  EXPECT_EQ(runSetupProcess({"arg:" + game, "click:" + std::to_string(IDC_MENU_SAVE),
                             "click:" + std::to_string(IDC_MENU_EXIT), "answer:1"}),
            0);
  EXPECT_TRUE(std::filesystem::is_regular_file(game + "/gardum.cfg"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/gardum.cfg"));

  EXPECT_EQ(runSetupProcess({"arg:" + folder + "/missing", "nomenu", "answer:1"}), 1);
  EXPECT_EQ(runSetupProcess({"arg:--unknown", "nomenu", "answer:1"}), 1);
  EXPECT_FALSE(std::filesystem::exists(folder + "/gardum.cfg"));
}
