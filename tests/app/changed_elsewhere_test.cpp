// gardum.cfg changed by another program (tarrengard-cfg, a mod manager, an
// editor) while the menu is open: every save asks before writing the
// settings shown over it. Yes saves as ever; No writes nothing and keeps the
// edits, and the menu stays open.
#include "app_test_support.h"

#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {

const char MenuCaption[] = "Tarrengard Configuration";
const char SaveCaption[] = "Save Configuration Changes";
const char Question[] = "Your configuration has been changed. Save now?";
const char ChangedQuestion[] =
    "gardum.cfg was changed by another program since it was read. Replace it with the settings shown here?";

const char TheirsBefore[] = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[Mods]\r\nEnabled = 1\r\n";
const char TheirsAfter[] = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[Mods]\r\nEnabled = 2\r\n";

us::Action edit() {
  return us::inspect([](HWND) {
    GameSettings.ScreenWidth = 1024;
    GameSettings.configChanged = true;
  });
}
us::Action otherProgramWrites(const char *text) {
  return us::inspect([text](HWND) { writeFile(ConfigFileName, text); });
}
us::Action stillTheirs() {
  return us::inspect([](HWND) {
    EXPECT_EQ(readFile(ConfigFileName), TheirsAfter);
    EXPECT_FALSE(GameSettings.runGameOnExit);
  });
}

// The boxes shown, one "text|style" per line, without the caption, which is
// always SaveCaption.
std::string boxesShown() {
  std::string shown;
  for (const auto &box : us::messageBoxes()) {
    EXPECT_EQ(box.caption, SaveCaption);
    shown += box.text + "|" + std::to_string(box.style) + "\n";
  }
  return shown;
}
const std::string Asked = std::string(ChangedQuestion) + "|" + std::to_string(MB_ICONWARNING | MB_YESNO) + "\n";
const std::string Saved = "Configuration saved.|" + std::to_string(MB_ICONINFORMATION | MB_OK) + "\n";
const std::string SaveNow = std::string(Question) + "|" + std::to_string(MB_ICONQUESTION | MB_YESNO) + "\n";

using ChangedElsewhere = FreshFolderTest;

TEST_F(ChangedElsewhere, SaveConfigurationAsksNoKeepsTheirFileYesReplacesIt) {
  writeFile(ConfigFileName, TheirsBefore);
  us::expectDialog(MenuCaption, {edit(), otherProgramWrites(TheirsAfter), us::click(IDC_MENU_SAVE), stillTheirs(),
                                 us::inspect([](HWND) { EXPECT_TRUE(GameSettings.configChanged); }),
                                 us::click(IDC_MENU_SAVE),
                                 // what this save wrote is the file as read now: no question
                                 us::click(IDC_MENU_SAVE), us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDNO);
  us::expectMessageBox(IDYES);
  us::expectMessageBox(IDOK);
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(boxesShown(), Asked + Asked + Saved + Saved);
  std::string saved = readFile(ConfigFileName);
  EXPECT_NE(saved.find("ScreenWidth = 1024\r\n"), std::string::npos);
  EXPECT_NE(saved.find("[Mods]\r\nEnabled = 1\r\n"), std::string::npos);  // the file as read, as agreed
}

TEST_F(ChangedElsewhere, SaveAndRunAnsweredNoSavesNothingAndStartsNoGame) {
  writeFile(ConfigFileName, TheirsBefore);
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  us::expectDialog(MenuCaption, {otherProgramWrites(TheirsAfter), us::click(IDC_MENU_SAVE_AND_RUN), stillTheirs(),
                                 us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDNO);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(boxesShown(), Asked);
  EXPECT_EQ(readFile(ConfigFileName), TheirsAfter);
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
}

// At "Exit", No to replacing keeps the menu open with the edits; leaving
// then means answering No to saving them.
TEST_F(ChangedElsewhere, ExitAnsweredNoToReplacingStaysOpen) {
  writeFile(ConfigFileName, TheirsBefore);
  us::expectDialog(MenuCaption, {edit(), otherProgramWrites(TheirsAfter), us::click(IDC_MENU_EXIT), stillTheirs(),
                                 us::click(IDC_MENU_EXIT)});
  us::expectMessageBox(IDYES);
  us::expectMessageBox(IDNO);
  us::expectMessageBox(IDNO);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(boxesShown(), SaveNow + Asked + SaveNow);
  EXPECT_EQ(readFile(ConfigFileName), TheirsAfter);
}

// What counts as changed: a file that appeared, or other bytes of the same
// size and time; a file that is gone is simply written again.
struct Change {
  const char *name;
  const char *atStart;  // null: no file
  void (*change)();
  bool asks;
};
void PrintTo(const Change &change, std::ostream *out) { *out << change.name; }

class WhatCountsAsChanged : public FreshFolderTest, public ::testing::WithParamInterface<Change> {};

TEST_P(WhatCountsAsChanged, AsksExactlyWhenAnotherFileOrOtherBytesAreThere) {
  const Change &c = GetParam();
  if (c.atStart) writeFile(ConfigFileName, c.atStart);
  us::expectDialog(MenuCaption, {us::inspect([&c](HWND) { c.change(); }), us::click(IDC_MENU_SAVE),
                                 us::click(IDC_MENU_EXIT)});
  if (c.asks) us::expectMessageBox(IDNO);
  if (!c.asks) us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 0);
  EXPECT_EQ(boxesShown(), c.asks ? Asked : Saved);
  EXPECT_EQ(readFile(ConfigFileName).find("ScreenMode") != std::string::npos, !c.asks);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WhatCountsAsChanged,
    ::testing::Values(Change{"CreatedMeanwhile", nullptr, [] { writeFile(ConfigFileName, TheirsAfter); }, true},
                      Change{"SameSizeAndTimeOtherBytes", TheirsBefore,
                             [] {
                               auto time = std::filesystem::last_write_time(ConfigFileName);
                               writeFile(ConfigFileName, TheirsAfter);
                               std::filesystem::last_write_time(ConfigFileName, time);
                             },
                             true},
                      Change{"RemovedMeanwhile", TheirsBefore, [] { std::filesystem::remove(ConfigFileName); }, false}),
    [](const ::testing::TestParamInfo<Change> &info) { return std::string(info.param.name); });

}  // namespace
