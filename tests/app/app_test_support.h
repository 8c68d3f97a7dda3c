// Shared by the start-up tests: a fresh scratch folder per test as the
// current folder, a clean settings record, and a shell script that stands in
// for the game and records how it was started.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/startup.h"
#include "config/config.h"
#include "platform/scripted_user/user_script.h"
#include "settings/settings.h"
#include "tests/common/scratch_folder.h"

extern "C" char **environ;

namespace apptest {

// Runs the configurator program (tg_scripted_setup) in the current folder with
// the given steps and returns its exit code, or -1 when it did not exit.
inline int runSetupProcess(std::vector<std::string> steps) {
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

// How the stand-in game was started, as it wrote it down.
struct GameRecord {
  bool found = false;
  int argumentCount = -1;
  std::string arguments;
  std::string folder;
  pid_t pid = 0;
};

// A process that exists and is not a zombie.
inline bool isRunning(pid_t pid) {
  std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// One field of /proc/<pid>/stat after the command name (3 = state, 4 = ppid, 6 = session).
inline long procStatField(pid_t pid, int field) {
  std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(stat.substr(close + 2));
  std::string value;
  for (int i = 3; i <= field; ++i) rest >> value;
  return value.empty() || !isdigit((unsigned char)value[0]) ? -1 : std::stol(value);
}

class FreshFolderTest : public ::testing::Test {
 protected:
  std::string folder;  // the current folder while the test runs (no symlinks)

  void SetUp() override {
    temp = std::make_unique<ScratchFolder>(ScratchFolder::Entered);
    // The game reports its folder with symlinks resolved.
    folder = std::filesystem::canonical(temp->path()).string();
    GameSettings = GameSettingsRecord{};
  }

  // Every game the test started works in its folder: stopped by its id.
  void TearDown() override {
    for (pid_t pid : processesInFolder()) kill(pid, SIGKILL);
    temp.reset();
  }

  // Runs the configurator as the program does and checks the script was used up.
  int runConfigurator() {
    static char module;
    int code = tarrengardMain((HINSTANCE)&module);
    EXPECT_TRUE(userscript::finished());
    return code;
  }

  // An executable shell script at `path` that writes how it was started to
  // `record` (absolute, so a wrong folder still shows) and then waits.
  void writeGameStandIn(const std::string &path, const std::string &record) {
    writeFile(path,
              "#!/bin/sh\n"
              "PATH=/usr/local/bin:/usr/bin:/bin\n"  // tests may run it with a bare PATH
              "{ echo \"count=$#\"; echo \"args=$*\"; echo \"folder=$(pwd -P)\"; "
              "echo \"pid=$$\"; } > '" +
                  record +
                  ".part'\n"
                  "mv '" +
                  record + ".part' '" + record +
                  "'\n"
                  "exec sleep 60\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
  }

  // Processes other than this one working in the test's folder or below it:
  // the games (and stand-ins for wine) that were started, nothing else.
  std::vector<pid_t> processesInFolder() const {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator("/proc", error)) {
      std::string name = entry.path().filename().string();
      if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) { return isdigit(c); })) continue;
      pid_t pid = (pid_t)std::stol(name);
      std::error_code unreadable;
      std::string cwd = std::filesystem::read_symlink(entry.path() / "cwd", unreadable).string();
      if (pid != getpid() && !unreadable && (cwd == folder || cwd.rfind(folder + "/", 0) == 0)) found.push_back(pid);
    }
    return found;
  }

  // Waits until every process working in the folder has ended or reached the
  // stand-in's last step, "exec sleep", which comes after its record is
  // written. A launch returns only once the program runs, so afterwards every
  // record a game started so far will write is there, and a missing one means
  // no game, however slow the machine. The deadline only keeps a start that
  // hangs from hanging the suite.
  void settleGames() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      bool busy = false;
      for (pid_t pid : processesInFolder()) {
        std::string command = readFile("/proc/" + std::to_string(pid) + "/comm");
        busy = busy || (!command.empty() && command != "sleep\n");
      }
      if (!busy) return;
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "a program started in " << folder << " neither ended nor wrote its record";
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // The record of a game started so far, once every game has written its own.
  GameRecord waitForGame(const std::string &record) {
    settleGames();
    GameRecord result;
    if (!std::filesystem::exists(record)) return result;
    std::istringstream lines(readFile(record));
    std::string line;
    while (std::getline(lines, line)) {
      size_t equals = line.find('=');
      if (equals == std::string::npos) continue;
      std::string key = line.substr(0, equals), value = line.substr(equals + 1);
      if (key == "count")
        result.argumentCount = std::stoi(value);
      else if (key == "args")
        result.arguments = value;
      else if (key == "folder")
        result.folder = value;
      else if (key == "pid")
        result.pid = (pid_t)std::stol(value);
    }
    result.found = true;
    return result;
  }

  // For cases where no game may start.
  bool gameStarted(const std::string &record) { return waitForGame(record).found; }

 private:
  std::unique_ptr<ScratchFolder> temp;
};

}  // namespace apptest
