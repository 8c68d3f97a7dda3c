// The typical edit from end to end, from the main menu as the user sees it:
// Input Devices, the row of "Jump", Select Primary, "X", Set, back to the
// menu, Save Configuration. gardum.cfg then holds the new pair in the old
// entry's place, and everything around it is kept.
#include <sstream>

#include "app/startup.h"
#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

std::vector<std::string> readLines(const char *path) {
  std::istringstream in(readFile(path));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

int lineOf(const std::vector<std::string> &lines, const std::string &wanted) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == wanted) return (int)i;
  }
  return -1;
}

class TypicalEdit : public DialogTest {};

TEST_F(TypicalEdit, JumpOnXIsSavedInPlace) {
  writeFile(ConfigFileName,
            "[KeyDefinitions]\n"
            "Move_Forward = \"Up\" \"Kpad8\"\n"
            "Jump = \"A\" \"/\"\n"
            "Crouch = \"Z\"\n"
            "Not_A_Function = \"Q\"\n"
            "\n"
            "[Screen Setup]\n"
            "ScreenWidth = 800\n");
  const std::vector<std::string> before = readLines(ConfigFileName);
  const int jumpLine = lineOf(before, "Jump = \"A\" \"/\"");
  ASSERT_EQ(jumpLine, 2);

  std::string preselected, rowAfterSet;
  int rowSelectedAfterSet = -99;
  userscript::expectDialog("Tarrengard Configuration",
                           {click(IDC_MENU_INPUT_DEVICES), click(IDC_MENU_SAVE), click(IDC_MENU_EXIT)});
  userscript::expectDialog("Input Devices",
                           {selectRow(IDC_INPUT_ACTIONS, 9), click(IDC_INPUT_SELECT_PRIMARY), inspect([&](HWND d) {
                              rowAfterSet = listRowText(d, IDC_INPUT_ACTIONS, 9);
                              rowSelectedAfterSet = listSelection(d, IDC_INPUT_ACTIONS);
                            }),
                            click(IDOK)});
  userscript::expectDialog("Select Primary Key",
                           {inspect([&](HWND d) { preselected = listSelectedText(d, IDC_SELECT_LIST); }),
                            focus(IDC_SELECT_LIST), key('X'), click(IDOK)});
  userscript::expectMessageBox(IDOK);

  EXPECT_EQ(tarrengardMain(nullptr), 0);

  EXPECT_EQ(preselected, "A");
  EXPECT_EQ(rowAfterSet, "Jump\tX\t/");
  EXPECT_EQ(rowSelectedAfterSet, 9);
  EXPECT_EQ(KeySelectRequest.functionIndex, 9);
  EXPECT_EQ(KeySelectRequest.keySlot, 0);
  ASSERT_EQ(userscript::messageBoxes().size(), 1u);  // saved, and no question on leaving
  EXPECT_EQ(userscript::messageBoxes()[0].text, "Configuration saved.");
  EXPECT_FALSE(GameSettings.configChanged);

  const std::vector<std::string> after = readLines(ConfigFileName);
  EXPECT_EQ(lineOf(after, "Jump = \"X\" \"/\""), jumpLine);
  EXPECT_EQ(lineOf(after, "Jump = \"A\" \"/\""), -1);
  ASSERT_GT(after.size(), 4u);
  EXPECT_EQ(after[0], "[KeyDefinitions]");
  EXPECT_EQ(after[1], "Move_Forward = \"Up\" \"Kpad8\"");
  EXPECT_EQ(after[3].rfind("Crouch = \"Z\"", 0), 0u) << after[3];
  EXPECT_EQ(after[4], "Not_A_Function = \"Q\"");
  EXPECT_NE(lineOf(after, "ScreenWidth = 800"), -1);
}

}  // namespace
