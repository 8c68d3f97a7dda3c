// How the POSIX layer starts the game (CreateProcessA in
// platform/posix/process_posix.cpp), with a shell script standing in for
// vexgame.exe that writes down how it was started: only the current folder,
// never the PATH; no arguments; detached, in a session of its own, with
// nothing of ours inherited, never waited for; a Windows program through
// wine, after its header has been checked. The launch as the configurator
// makes it, on every backend, is in tests/app/launch_test.cpp.
#include "tests/app/app_test_support.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {
// Sets an environment variable (null: unsets it) for one test and puts the old value back.
struct ScopedVariable {
  ScopedVariable(const char *name, const char *value) : name(name), had(getenv(name) != nullptr) {
    if (had) old = getenv(name);
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedVariable() { had ? setenv(name, old.c_str(), 1) : unsetenv(name); }
  const char *name;
  bool had;
  std::string old;
};

struct ScopedPath : ScopedVariable {
  explicit ScopedPath(const std::string &folders) : ScopedVariable("PATH", folders.c_str()) {}
};

// Sets the soft limit on open files for one test and puts the old one back.
class ScopedOpenFileLimit {
 public:
  explicit ScopedOpenFileLimit(rlim_t soft) {
    getrlimit(RLIMIT_NOFILE, &old);
    struct rlimit lowered = old;
    lowered.rlim_cur = soft;
    set = setrlimit(RLIMIT_NOFILE, &lowered) == 0;
  }
  ~ScopedOpenFileLimit() {
    if (set) setrlimit(RLIMIT_NOFILE, &old);
  }
  bool isSet() const { return set; }

 private:
  struct rlimit old = {};
  bool set = false;
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

// The descriptors of a process that lead to `path`.
std::vector<int> descriptorsOpenOn(pid_t pid, const std::string &path) {
  std::vector<int> found;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    int fd = std::stoi(entry.path().filename().string());
    if (fdTarget(pid, fd) == path) found.push_back(fd);
  }
  return found;
}

// No child of this process is left to reap (a zombie would be one).
bool noChildLeft() {
  int status;
  return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

// A process that exists and is not a zombie.
bool isRunning(pid_t pid) {
  std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// One field of /proc/<pid>/stat after the command name (3 = state, 4 = ppid, 6 = session).
long procStatField(pid_t pid, int field) {
  std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(stat.substr(close + 2));
  std::string value;
  for (int i = 3; i <= field; ++i) rest >> value;
  return value.empty() || !isdigit((unsigned char)value[0]) ? -1 : std::stol(value);
}

}  // namespace

// ---- The configurator as a process of its own ------------------------------------

class GameLaunch : public FreshFolderTest {
 protected:
  void SetUp() override {
    if (scriptedSetupProgram().empty()) GTEST_SKIP() << "built without the configurator program";
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
  EXPECT_TRUE(isRunning((pid_t)game.pid));
  EXPECT_NE(procStatField((pid_t)game.pid, 4), (long)getpid());   // nobody of ours waits for it
  EXPECT_NE(procStatField((pid_t)game.pid, 6), (long)getsid(0));  // a session of its own
  for (int fd = 0; fd <= 2; ++fd) EXPECT_EQ(fdTarget((pid_t)game.pid, fd), "/dev/null") << "descriptor " << fd;
  EXPECT_TRUE(noChildLeft());
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
  EXPECT_NE(procStatField((pid_t)game.pid, 4), (long)getpid());
}

TEST_F(ProcessCreation, NoDescriptorOfOursReachesTheGameNotEvenOneAboveTheSoftLimit) {
  // The soft limit may be lowered after descriptors were opened; the game
  // must get none of them all the same.
  const int lowered = 256, above = 400;
  struct rlimit limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_cur <= (rlim_t)above) GTEST_SKIP() << "the soft limit on open files is " << limit.rlim_cur;
  std::string record = folder + "/game.record";
  writeGameStandIn("vexgame.exe", record);
  std::string planted = folder + "/planted";
  writeFile(planted, "");
  int below = open(planted.c_str(), O_RDONLY);  // inheritable, as a library might leave one
  ASSERT_GE(below, 0);
  ASSERT_LT(below, lowered);
  ASSERT_EQ(dup2(below, above), above);
  PROCESS_INFORMATION process;
  {
    ScopedOpenFileLimit lower(lowered);
    ASSERT_TRUE(lower.isSet());
    EXPECT_TRUE(launch("vexgame.exe", &process));
  }
  close(above);
  close(below);
  GameRecord game = waitForGame(record);
  ASSERT_TRUE(game.found);
  EXPECT_EQ(descriptorsOpenOn((pid_t)game.pid, planted), std::vector<int>{});
}

TEST_F(ProcessCreation, AFailedStartIsReportedWithOurStandardStreamsClosed) {
  // The status pipe then takes the numbers of the standard streams, which
  // the game's /dev/null must not overwrite before a failure is reported.
  writeFile("vexgame.exe", "just text, no interpreter line\n");
  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  writeGameStandIn("game.exe", folder + "/game.record");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(0);
    close(1);
    close(2);
    PROCESS_INFORMATION process;
    bool failed = !launch("vexgame.exe", &process);
    bool started = launch("game.exe", &process);
    _exit(failed && started ? 0 : failed ? 2 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the failure was reported as a start; 2: a good start failed";
  EXPECT_TRUE(waitForGame(folder + "/game.record").found);
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
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
}

TEST_F(LaunchFailure, ThePathIsNeverSearched) {
  std::filesystem::create_directory("bin");
  writeGameStandIn(folder + "/bin/vexgame.exe", folder + "/game.record");
  const char *old = getenv("PATH");
  ScopedPath path(folder + "/bin:" + (old ? old : "/usr/bin:/bin"));
  PROCESS_INFORMATION process;
  EXPECT_FALSE(launch("vexgame.exe", &process));
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
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
  EXPECT_FALSE(gameStarted(folder + "/game.record"));
}

// ---- Windows programs go to wine ---------------------------------------------

namespace {

// The smallest header Wine looks at: "MZ", e_lfanew at 0x3C, and there the
// "PE\0\0" signature with the machine type, then an empty file header.
std::string windowsProgram(unsigned machine, uint32_t peOffset = 0x40, const char *signature = "PE") {
  std::string image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  for (int i = 0; i < 4; ++i) image[0x3C + i] = (char)(peOffset >> (8 * i));
  std::string header(24, '\0');
  header[0] = signature[0];
  header[1] = signature[1];
  header[4] = (char)(machine & 0xff);
  header[5] = (char)(machine >> 8);
  return image + header;
}

const unsigned I386 = 0x14c, Amd64 = 0x8664;

}  // namespace

class WindowsProgram : public FreshFolderTest {
 protected:
  void SetUp() override {
    FreshFolderTest::SetUp();
    // Not a program this system runs: a Windows one.
    writeFile("vexgame.exe", windowsProgram(I386));
    std::filesystem::create_directory("bin");
  }
};

TEST_F(WindowsProgram, IsStartedAsWineWithTheRelativeNameWhenWineIsOnThePath) {
  // A stand-in wine records its arguments like the game would.
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  ScopedPath path(folder + "/bin");
  for (unsigned machine : {I386, Amd64}) {
    for (bool executable : {false, true}) {
      SCOPED_TRACE(testing::Message() << "machine " << std::hex << machine << ", executable bit " << executable);
      std::filesystem::remove(folder + "/wine.record");
      writeFile("vexgame.exe", windowsProgram(machine));
      std::filesystem::permissions(
          "vexgame.exe", executable ? std::filesystem::perms::owner_all
                                    : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
      PROCESS_INFORMATION process;
      ASSERT_TRUE(launch("vexgame.exe", &process));
      GameRecord wine = waitForGame(folder + "/wine.record");
      ASSERT_TRUE(wine.found);
      EXPECT_EQ(wine.argumentCount, 1);
      EXPECT_EQ(wine.arguments, "./vexgame.exe");
      EXPECT_EQ(wine.folder, folder);
      EXPECT_EQ(process.dwProcessId, (DWORD)wine.pid);
    }
  }
}

TEST_F(WindowsProgram, InsideAWinePrefixWineRunsItThere) {
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  std::filesystem::create_directories("prefix/drive_c/Games/Tarrengard");
  writeFile("prefix/system.reg", "");
  std::filesystem::rename("vexgame.exe", "prefix/drive_c/Games/Tarrengard/vexgame.exe");
  std::filesystem::current_path("prefix/drive_c/Games/Tarrengard");
  ScopedPath path(folder + "/bin");
  ScopedVariable noneChosen("WINEPREFIX", nullptr);
  PROCESS_INFORMATION process;
  ASSERT_TRUE(launch("vexgame.exe", &process));
  EXPECT_EQ(waitForGame(folder + "/wine.record").winePrefix, folder + "/prefix");
}

TEST_F(WindowsProgram, FailsWithoutWine) {
  ScopedPath path(folder + "/bin");  // an empty folder: no wine anywhere on it
  PROCESS_INFORMATION process;
  EXPECT_FALSE(launch("vexgame.exe", &process));
  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  EXPECT_FALSE(launch("vexgame.exe", &process));
}

TEST_F(WindowsProgram, WineIsTakenOnlyFromAbsoluteFoldersOnThePath) {
  // Empty and relative elements name the game's folder: a wine placed there
  // (or below it) must never run.
  writeGameStandIn("wine", folder + "/planted.record");
  std::filesystem::create_directory("tools");
  writeGameStandIn("tools/wine", folder + "/planted.record");
  std::string none = folder + "/bin";  // holds no wine
  for (const std::string &elements : {std::string(""), ":" + none, none + ":", none + "::" + none, std::string("."),
                                      std::string("./"), std::string("tools"), "tools:" + none}) {
    SCOPED_TRACE("PATH=" + elements);
    ScopedPath path(elements);
    PROCESS_INFORMATION process;
    EXPECT_FALSE(launch("vexgame.exe", &process));
  }
  // An absolute folder after them is still found.
  std::filesystem::create_directory("real");
  writeGameStandIn(folder + "/real/wine", folder + "/wine.record");
  {
    ScopedPath path(":.:tools:" + folder + "/real");
    PROCESS_INFORMATION process;
    EXPECT_TRUE(launch("vexgame.exe", &process));
  }
  EXPECT_TRUE(waitForGame(folder + "/wine.record").found);
  EXPECT_FALSE(gameStarted(folder + "/planted.record"));
}

// Files that begin like a Windows program but are none: Wine would start and
// then fail, after the game had been reported started.
TEST_F(WindowsProgram, AFileThatOnlyBeginsLikeOneIsNotStarted) {
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  ScopedPath path(folder + "/bin");
  std::string valid = windowsProgram(I386);
  const struct {
    const char *name;
    std::string bytes;
  } cases[] = {
      {"MZ alone", "MZ"},
      {"header cut before e_lfanew", valid.substr(0, 0x3C)},
      {"e_lfanew cut", valid.substr(0, 0x3E)},
      {"e_lfanew past the end", windowsProgram(I386, 0x1000)},
      {"e_lfanew at the top of its range", windowsProgram(I386, 0xFFFFFFFFu)},
      {"machine type cut off", valid.substr(0, 0x40 + 5)},
      {"signature cut off", valid.substr(0, 0x40 + 2)},
      {"another signature", windowsProgram(I386, 0x40, "PX")},
      {"a 16-bit program", windowsProgram(I386, 0x40, "NE")},
      {"a machine Wine does not run here", windowsProgram(0xAA64)},
      {"no machine", windowsProgram(0)},
      {"text after MZ", std::string("MZ\x90\0\x03\0\0\0", 8) + "This program cannot be run"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    writeFile("vexgame.exe", c.bytes);
    for (bool executable : {false, true}) {
      std::filesystem::permissions(
          "vexgame.exe", executable ? std::filesystem::perms::owner_all
                                    : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
      PROCESS_INFORMATION process;
      EXPECT_FALSE(launch("vexgame.exe", &process)) << "executable bit " << executable;
    }
  }
  EXPECT_FALSE(gameStarted(folder + "/wine.record"));
}

TEST_F(WindowsProgram, SaveAndRunWithAFileThatIsNoWindowsProgramSaysSoAndEndsWithOne) {
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  ScopedPath path(folder + "/bin");
  writeFile("vexgame.exe", "MZ");
  us::expectDialog("Tarrengard Configuration", {us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_EQ(us::messageBoxes()[0].text,
            "Failed starting VEXGAME.EXE.\nvexgame.exe in " + folder + " could not be started: it is not a program.");
  EXPECT_EQ(us::messageBoxes()[0].caption, "Failure starting game");
  EXPECT_FALSE(gameStarted(folder + "/wine.record"));
}

// Why a start failed, for start-up to tell the player: the codes Windows
// gives for the same failures.
TEST_F(WindowsProgram, AFailedStartSaysWhyThroughGetLastError) {
  ScopedPath path(folder + "/bin");  // no wine
  const auto owner = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  const struct {
    const char *name;
    std::string bytes;  // empty: no file; "/": a folder
    bool executable;
    DWORD error;
  } cases[] = {
      {"missing", "", false, ERROR_FILE_NOT_FOUND},
      {"a folder", "/", false, ERROR_ACCESS_DENIED},
      {"a script without the execute bit", "#!/bin/sh\n", false, ERROR_ACCESS_DENIED},
      {"text that is no program", "just text\n", true, ERROR_BAD_FORMAT},
      {"only the start of a Windows program", "MZ", true, ERROR_BAD_FORMAT},
      {"a Windows program and no wine", windowsProgram(I386), true, ERROR_BAD_EXE_FORMAT},
      {"the same without the execute bit", windowsProgram(Amd64), false, ERROR_BAD_EXE_FORMAT},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all("vexgame.exe");
    if (c.bytes == "/") {
      std::filesystem::create_directory("vexgame.exe");
    } else if (!c.bytes.empty()) {
      writeFile("vexgame.exe", c.bytes);
      std::filesystem::permissions("vexgame.exe", c.executable ? std::filesystem::perms::owner_all : owner);
    }
    SetLastError(ERROR_SUCCESS);
    PROCESS_INFORMATION process;
    EXPECT_FALSE(launch("vexgame.exe", &process));
    EXPECT_EQ(GetLastError(), c.error);
  }
  SetLastError(ERROR_SUCCESS);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_FALSE(CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

// The first line stays as it always was; the second names the file, its
// folder and why; the last says what is missing, and only when that is the
// reason.
TEST_F(WindowsProgram, SaveAndRunWithoutWineSaysWineIsNeeded) {
  ScopedPath path(folder + "/bin");  // an empty folder: no wine anywhere on it
  std::filesystem::permissions("vexgame.exe", std::filesystem::perms::owner_all);
  us::expectDialog("Tarrengard Configuration", {us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_FALSE(us::messageBoxes()[0].owned);
  EXPECT_EQ(us::messageBoxes()[0].text, "Failed starting VEXGAME.EXE.\nvexgame.exe in " + folder +
                                            " could not be started: it is a Windows program.\n"
                                            "Wine is needed to start a Windows program.");
  EXPECT_EQ(us::messageBoxes()[0].caption, "Failure starting game");
  EXPECT_EQ(us::messageBoxes()[0].style, MB_ICONERROR);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/gardum.cfg"));  // saved first, as ever
}

TEST_F(WindowsProgram, SaveAndRunWithOnlyA64BitWineSaysA32BitOneIsNeeded) {
  writeGameStandIn(folder + "/bin/wine", folder + "/wine.record");
  std::filesystem::create_directories("lib/wine");
  writeGameStandIn(folder + "/lib/wine/wine64", folder + "/wine.record");
  ScopedPath path(folder + "/bin");
  us::expectDialog("Tarrengard Configuration", {us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_EQ(us::messageBoxes()[0].text, "Failed starting VEXGAME.EXE.\nvexgame.exe in " + folder +
                                            " could not be started: it is a 32-bit Windows program.\n"
                                            "32-bit Wine is needed to start this program.");
}

TEST_F(LaunchFailure, AMissingGameIsNamedWithTheFolderItWasLookedFor) {
  us::expectDialog("Tarrengard Configuration", {us::click(IDC_MENU_SAVE_AND_RUN)});
  us::expectMessageBox(IDOK);
  EXPECT_EQ(runConfigurator(), 1);
  ASSERT_EQ(us::messageBoxes().size(), 1u);
  EXPECT_EQ(us::messageBoxes()[0].text, "Failed starting VEXGAME.EXE.\nvexgame.exe was not found in " + folder + ".");
}
