// Shared by the start-up tests: a fresh scratch folder per test as the
// current folder, the process state reset (tests/common/process_state.h), and a program
// that stands in for the game and records how it was started (a shell script
// off Windows, tests/win32/standin_game.c on Windows).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" char **environ;
#endif

#include "app/startup.h"
#include "config/config.h"
#include "settings/settings.h"
#include "tests/common/process_state.h"
#include "tests/common/scratch_folder.h"
#include "tests/common/under_wine.h"
#include "tests/harness/scripted_user/user_script.h"

#ifdef _WIN32
#include <tlhelp32.h>
#endif

namespace apptest {

// The module that holds the dialog templates and the icon, as the program's
// entry point passes it: on Windows the program file itself, elsewhere any
// non-null handle (the templates are linked in).
inline HINSTANCE programInstance() {
#ifdef _WIN32
  return GetModuleHandleA(nullptr);
#else
  static char module;
  return reinterpret_cast<HINSTANCE>(&module);
#endif
}

// The current folder as the system names it to a program started there (the
// stand-in game reports it so): symlinks resolved off Windows.
inline std::string folderAsAGameSeesIt() {
#ifdef _WIN32
  return std::filesystem::current_path().string();
#else
  return std::filesystem::canonical(std::filesystem::current_path()).string();
#endif
}

// The names in the current folder, sorted.
inline std::vector<std::string> namesInCurrentFolder() {
  std::vector<std::string> names;
  for (const auto &item : std::filesystem::directory_iterator(".")) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

#ifdef _WIN32
// A program built with the tests, beside the running test program.
inline std::string besideThisProgram(const char *name) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return (std::filesystem::path(path).parent_path() / name).string();
}
#endif

// The configurator as a process of its own (tests/app/scripted_setup.cpp),
// or "" where it was not built.
inline std::string scriptedSetupProgram() {
#if defined(_WIN32)
  return besideThisProgram("tg-win32-scripted-setup.exe");
#elif defined(TG_SCRIPTED_SETUP)
  return TG_SCRIPTED_SETUP;
#else
  return "";
#endif
}

// Runs the configurator program (scriptedSetupProgram()) in the current
// folder with the given steps ("click:3", "answer:1") and returns its exit
// code, or -1 when it could not be started or did not exit.
inline int runSetupProcess(std::vector<std::string> steps) {
  std::string program = scriptedSetupProgram();
  if (program.empty()) return -1;
#ifdef _WIN32
  std::string line = "\"" + program + "\"";
  for (const std::string &step : steps) line += " \"" + step + "\"";  // a folder may hold blanks
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  DWORD code = 0;
  bool ended =
      WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<int>(code) : -1;
#else
  std::vector<char *> argv = {program.data()};
  for (std::string &step : steps) argv.push_back(step.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

// How the stand-in game was started, as it wrote it down.
struct GameRecord {
  bool found = false;
  int argumentCount = -1;
  std::string arguments;
  std::string folder;
  long pid = 0;
  std::string winePrefix;  // WINEPREFIX as the program saw it, "" when unset
};

class FreshFolderTest : public ::testing::Test {
 protected:
  std::string folder;  // the current folder while the test runs, as folderAsAGameSeesIt() names it

  void SetUp() override {
    temp = std::make_unique<ScratchFolder>(ScratchFolder::Entered);
    folder = folderAsAGameSeesIt();
    resetProcessState();
  }

  // Every game the test started works in its folder: stopped by its id.
  void TearDown() override {
#ifndef _WIN32
    for (pid_t pid : processesInFolder()) kill(pid, SIGKILL);
#endif
    temp.reset();
  }

  // Runs the configurator as the program does and checks the script was used up.
  int runConfigurator() {
    int code = tarrengardMain(programInstance());
    EXPECT_TRUE(userscript::finished());
    return code;
  }

  // A game at `path` that writes how it was started to `record` (absolute,
  // so a wrong folder still shows): its argument count and arguments, its
  // current folder and its process id.
  void writeGameStandIn(const std::string &path, const std::string &record) {
#ifdef _WIN32
    // The stand-in program, told where to write by a note beside it.
    std::filesystem::copy_file(besideThisProgram("vexgame-standin.exe"), path,
                               std::filesystem::copy_options::overwrite_existing);
    writeFile(path + ".record-path", record);
#else
    // A shell script that then waits.
    writeFile(path,
              "#!/bin/sh\n"
              "PATH=/usr/local/bin:/usr/bin:/bin\n"  // tests may run it with a bare PATH
              "{ echo \"count=$#\"; echo \"args=$*\"; echo \"folder=$(pwd -P)\"; "
              "echo \"pid=$$\"; echo \"wineprefix=${WINEPREFIX-}\"; } > '" +
                  record +
                  ".part'\n"
                  "mv '" +
                  record + ".part' '" + record +
                  "'\n"
                  "exec sleep 60\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
#endif
  }

  // A vexgame.exe the system will not start: off Windows a script without
  // execute permission, on Windows a file that is no program.
  void writeUnstartableGame(const std::string &path) {
#ifdef _WIN32
    writeFile(path, "just text, no program\r\n");
#else
    writeFile(path, "#!/bin/sh\nexit 0\n");
#endif
  }

#ifdef _WIN32
  // Whether a program of the test's folder or below it runs: the stand-in
  // games that were started (each ends once its record is written).
  bool programOfTheFolderRuns() const {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    std::string inside = folder + "\\";
    bool runs = false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && !runs; more = Process32Next(snapshot, &entry)) {
      HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
      if (!process) continue;
      char image[MAX_PATH] = "";
      DWORD length = sizeof image;
      DWORD code = 0;
      if (QueryFullProcessImageNameA(process, 0, image, &length) && GetExitCodeProcess(process, &code) &&
          code == STILL_ACTIVE)
        runs = _strnicmp(image, inside.c_str(), inside.size()) == 0;
      CloseHandle(process);
    }
    CloseHandle(snapshot);
    return runs;
  }
#else
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

  bool programOfTheFolderRuns() const {
    for (pid_t pid : processesInFolder()) {
      std::string command = readFile("/proc/" + std::to_string(pid) + "/comm");
      if (!command.empty() && command != "sleep\n") return true;
    }
    return false;
  }
#endif

  // Waits until every process working in the folder has ended or reached the
  // stand-in's last step ("exec sleep" off Windows, its end on Windows), which
  // comes after its record is written. A launch returns only once the program runs, so afterwards every
  // record a game started so far will write is there, and a missing one means
  // no game, however slow the machine. The deadline only keeps a start that
  // hangs from hanging the suite.
  void settleGames() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      if (!programOfTheFolderRuns()) return;
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
      if (!line.empty() && line.back() == '\r') line.pop_back();
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
        result.pid = std::stol(value);
      else if (key == "wineprefix")
        result.winePrefix = value;
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
