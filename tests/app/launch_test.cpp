// The game launch for real: a shell script stands in for vexgame.exe and
// writes down how it was started. The launch must use only the current
// folder, pass no arguments, detach the game and never wait for it; the
// configurator runs as a process of its own where it must really end.
#include "app_test_support.h"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

#include "ui/resource.h"

extern char **environ;

using namespace apptest;
namespace us = userscript;

namespace {

// Sets PATH for one test and puts the old one back.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string &path) {
    const char *old = getenv("PATH");
    hadOld = old != nullptr;
    if (old) oldPath = old;
    setenv("PATH", path.c_str(), 1);
  }
  ~ScopedPath() {
    if (hadOld)
      setenv("PATH", oldPath.c_str(), 1);
    else
      unsetenv("PATH");
  }

 private:
  bool hadOld = false;
  std::string oldPath;
};

BOOL launch(const char *name, PROCESS_INFORMATION *process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  *process = {};
  return CreateProcessA(name, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process);
}

std::string fdTarget(pid_t pid, int fd) {
  std::error_code error;
  auto target = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), error);
  return error ? std::string() : target.string();
}

// No child of this process is left to reap (a zombie would be one).
bool noChildLeft() {
  int status;
  return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

// Runs the configurator program (tg_scripted_setup) in the current folder with
// the given steps and returns its exit code, or -1 when it did not exit.
int runSetupProcess(std::vector<std::string> steps) {
#ifdef TG_SCRIPTED_SETUP
  std::vector<char *> argv = {(char *)TG_SCRIPTED_SETUP};
  for (std::string &step : steps) argv.push_back(step.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, TG_SCRIPTED_SETUP, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#else
  (void)steps;
  return -1;
#endif
}

}  // namespace

// ---- The configurator as a process of its own ------------------------------------

class GameLaunch : public FreshFolderTest {
 protected:
  void SetUp() override {
#ifndef TG_SCRIPTED_SETUP
    GTEST_SKIP() << "built without the configurator program";
#endif
    FreshFolderTest::SetUp();
  }
};

TEST_F(GameLaunch, TheGameRunsDetachedWithNoArgumentsAndOutlivesTheConfigurator) {
  std::string record = folder + "/game.record";
  writeGameStandIn("vexgame.exe", record);
  ASSERT_EQ(runSetupProcess({"click:" + std::to_string(IDC_MENU_SAVE_AND_RUN)}), 0);

  GameRecord game = waitForGame(record);
  ASSERT_TRUE(game.found);
  EXPECT_EQ(game.argumentCount, 0);
  EXPECT_EQ(game.arguments, "");
  EXPECT_EQ(game.folder, folder);
  EXPECT_TRUE(isRunning(game.pid));
  EXPECT_NE(procStatField(game.pid, 4), (long)getpid());   // nobody of ours waits for it
  EXPECT_NE(procStatField(game.pid, 6), (long)getsid(0));  // a session of its own
  for (int fd = 0; fd <= 2; ++fd) EXPECT_EQ(fdTarget(game.pid, fd), "/dev/null") << "descriptor " << fd;
  EXPECT_TRUE(noChildLeft());
}

TEST_F(GameLaunch, WithoutTheGameTheProcessEndsWithOneAfterSaving) {
  ASSERT_EQ(runSetupProcess({"click:" + std::to_string(IDC_MENU_SAVE_AND_RUN), "answer:1"}), 1);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/gardum.cfg"));
}

TEST_F(GameLaunch, StartedElsewhereItWorksInTheCurrentFolderNotInItsOwn) {
#ifdef TG_SCRIPTED_SETUP
  std::string ownFolder = std::filesystem::path(TG_SCRIPTED_SETUP).parent_path().string();
  ASSERT_NE(ownFolder, folder);
  bool hadConfig = std::filesystem::exists(ownFolder + "/gardum.cfg");
  writeFile("gardum.cfg", "[Screen Setup]\r\nScreenWidth = 1152\r\n");
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  ASSERT_EQ(runSetupProcess({"click:" + std::to_string(IDC_MENU_SAVE_AND_RUN)}), 0);
  EXPECT_NE(readFile("gardum.cfg").find("Sound Setup"), std::string::npos);  // saved here
  EXPECT_NE(readFile("gardum.cfg").find("1152"), std::string::npos);         // after loading here
  EXPECT_EQ(std::filesystem::exists(ownFolder + "/gardum.cfg"), hadConfig);
  EXPECT_TRUE(waitForGame(folder + "/game.record").found);
#endif
}

// ---- CreateProcessA itself ---------------------------------------------------------

using ProcessCreation = FreshFolderTest;

TEST_F(ProcessCreation, ReportsTheGamesProcessIdAndLeavesNoZombie) {
  std::string record = folder + "/game.record";
  writeGameStandIn("vexgame.exe", record);
  PROCESS_INFORMATION process;
  ASSERT_TRUE(launch("vexgame.exe", &process));
  EXPECT_TRUE(noChildLeft());
  GameRecord game = waitForGame(record);
  ASSERT_TRUE(game.found);
  EXPECT_EQ(process.dwProcessId, (DWORD)game.pid);
  EXPECT_NE(procStatField(game.pid, 4), (long)getpid());
}

// ---- What counts as a failure ---------------------------------------------------

using LaunchFailure = FreshFolderTest;

TEST_F(LaunchFailure, MissingNonExecutableOrNotAFileReturnsZero) {
  PROCESS_INFORMATION process;
  EXPECT_FALSE(launch("vexgame.exe", &process)) << "missing";

  writeFile("vexgame.exe", "#!/bin/sh\necho started > '" + folder + "/game.record'\n");
  EXPECT_FALSE(launch("vexgame.exe", &process)) << "no execute permission";

  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  std::filesystem::rename("vexgame.exe", "plain.exe");
  writeFile("vexgame.exe", "just text, no interpreter line\n");
  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  EXPECT_FALSE(launch("vexgame.exe", &process)) << "not a program";

  std::filesystem::remove("vexgame.exe");
  std::filesystem::create_directory("vexgame.exe");
  EXPECT_FALSE(launch("vexgame.exe", &process)) << "a folder";

  EXPECT_TRUE(noChildLeft());
  EXPECT_FALSE(gameStartedWithin(folder + "/game.record", std::chrono::milliseconds(300)));
}

TEST_F(LaunchFailure, ThePathIsNeverSearched) {
  std::filesystem::create_directory("bin");
  writeGameStandIn(folder + "/bin/vexgame.exe", folder + "/game.record");
  const char *old = getenv("PATH");
  ScopedPath path(folder + "/bin:" + (old ? old : "/usr/bin:/bin"));
  PROCESS_INFORMATION process;
  EXPECT_FALSE(launch("vexgame.exe", &process));
  EXPECT_FALSE(gameStartedWithin(folder + "/game.record", std::chrono::milliseconds(300)));
}

TEST_F(LaunchFailure, WhatTheLayerDoesNotOfferIsRefused) {
  writeGameStandIn("vexgame.exe", folder + "/game.record");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char arguments[] = "vexgame.exe -nosound";
  EXPECT_FALSE(
      CreateProcessA("vexgame.exe", arguments, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_FALSE(CreateProcessA("vexgame.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, "/", &startup, &process));
  EXPECT_FALSE(CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_FALSE(gameStartedWithin(folder + "/game.record", std::chrono::milliseconds(300)));
}

// ---- Windows programs go to wine ---------------------------------------------

class WindowsProgram : public FreshFolderTest {
 protected:
  void SetUp() override {
    FreshFolderTest::SetUp();
    // Not a program this system runs: the "MZ" header of a Windows one.
    writeFile("vexgame.exe", std::string("MZ\x90\0\x03\0\0\0", 8) + "This program cannot be run");
    std::filesystem::create_directory("bin");
  }
};

TEST_F(WindowsProgram, IsStartedAsWineWithTheRelativeNameWhenWineIsOnThePath) {
  // A stand-in wine records its arguments like the game would.
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  ScopedPath path(folder + "/bin");
  for (bool executable : {false, true}) {
    std::filesystem::remove(folder + "/wine.record");
    if (executable) std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(launch("vexgame.exe", &process)) << "executable bit " << executable;
    GameRecord wine = waitForGame(folder + "/wine.record");
    ASSERT_TRUE(wine.found);
    EXPECT_EQ(wine.argumentCount, 1);
    EXPECT_EQ(wine.arguments, "./vexgame.exe");
    EXPECT_EQ(wine.folder, folder);
    EXPECT_EQ(process.dwProcessId, (DWORD)wine.pid);
  }
}

TEST_F(WindowsProgram, FailsWithoutWine) {
  ScopedPath path(folder + "/bin");  // an empty folder: no wine anywhere on it
  PROCESS_INFORMATION process;
  EXPECT_FALSE(launch("vexgame.exe", &process));
  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  EXPECT_FALSE(launch("vexgame.exe", &process));
}
