// The game launch for real, with the configurator as a process of its own
// that must really end, and a stand-in that writes down how it was started:
// Save and Run Brax starts vexgame.exe of the current folder with no
// arguments, the process ends with 0 (1 without the game, after saving), and
// only the current folder counts, not the program's own. How the POSIX layer
// starts a program (descriptors, sessions, the PATH, wine) is tested with
// that layer, in tests/platform/posix_launch_test.cpp.
#include "app_test_support.h"

#include "ui/resource.h"

using namespace apptest;

namespace {

const std::string SaveAndRun = "click:" + std::to_string(IDC_MENU_SAVE_AND_RUN);

class GameLaunch : public FreshFolderTest {
 protected:
  void SetUp() override {
    if (scriptedSetupProgram().empty()) GTEST_SKIP() << "built without the configurator program";
    FreshFolderTest::SetUp();
  }
};

TEST_F(GameLaunch, SaveAndRunStartsVexgameWithNoArgumentsInTheCurrentFolder) {
  std::string record = folder + "/game.record";
  writeGameStandIn("vexgame.exe", record);
  ASSERT_EQ(runSetupProcess({SaveAndRun}), 0);

  GameRecord game = waitForGame(record);
  ASSERT_TRUE(game.found);
  EXPECT_EQ(game.argumentCount, 0);
  EXPECT_EQ(game.arguments, "");
  EXPECT_EQ(game.folder, folder);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/gardum.cfg"));  // saved first
}

// Copied from a CD in capitals, the game is started under its own name.
TEST_F(GameLaunch, AGameInCapitalsIsStarted) {
  writeGameStandIn("VEXGAME.EXE", folder + "/game.record");
  ASSERT_EQ(runSetupProcess({SaveAndRun}), 0);
  EXPECT_TRUE(waitForGame(folder + "/game.record").found);
}

TEST_F(GameLaunch, WithoutTheGameTheProcessEndsWithOneAfterSaving) {
  ASSERT_EQ(runSetupProcess({SaveAndRun, "answer:1"}), 1);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/gardum.cfg"));
}

TEST_F(GameLaunch, StartedElsewhereItWorksInTheCurrentFolderNotInItsOwn) {
  std::string ownFolder = std::filesystem::path(scriptedSetupProgram()).parent_path().string();
  ASSERT_NE(ownFolder, folder);
  bool hadConfig = std::filesystem::exists(ownFolder + "/gardum.cfg");
  writeFile("gardum.cfg", "[Screen Setup]\r\nScreenWidth = 1152\r\n");
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  ASSERT_EQ(runSetupProcess({SaveAndRun}), 0);
  EXPECT_NE(readFile("gardum.cfg").find("Sound Setup"), std::string::npos);  // saved here
  EXPECT_NE(readFile("gardum.cfg").find("1152"), std::string::npos);         // after loading here
  EXPECT_EQ(std::filesystem::exists(ownFolder + "/gardum.cfg"), hadConfig);
  EXPECT_TRUE(waitForGame(folder + "/game.record").found);
}

}  // namespace
