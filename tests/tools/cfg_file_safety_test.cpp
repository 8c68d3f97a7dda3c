/*
 * tarrengard-cfg and the files it must neither wait on, swallow whole nor
 * replace: pipes, devices, files larger than memory, files of the wrong
 * permissions. It reads and saves through the library's own routines, so it
 * agrees with the configurator: where the configurator refuses to save, the
 * tool exits 2 with a message and leaves the file byte for byte; where the
 * configurator writes in place, so does the tool.
 */
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/common/ordinary_user.h"
#include "tool_runner.h"

namespace {

const std::string Original = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[MyMod]\r\nLevel = \"hard\"\r\n";

class CfgFileSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    chmod(folder.c_str(), 0755);  // an ordinary user must reach what is inside
  }
  // What the test took away from the folder's owner, for the folder's removal.
  void TearDown() override { chmod(game().c_str(), 0755); }

  std::string path(const std::string &name) const { return folder + "/" + name; }
  std::string game() const { return path("game"); }
  std::string gardum() const { return game() + "/gardum.cfg"; }

  ScratchFolder scratch;
  const std::string folder = scratch.path();
};

// Exit status 2, nothing on stdout, exactly `message` on stderr.
void expectRefused(const ToolRun &run, const std::string &message) {
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tarrengard-cfg: " + message + "\n");
}

// Standard error without the notes AddressSanitizer adds (lines starting
// with "=="), which a sanitized build prints when its allocator says no.
std::string withoutSanitizerNotes(const std::string &err) {
  std::string kept;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    end = end == std::string::npos ? err.size() : end + 1;
    if (err.compare(start, 2, "==") != 0) kept += err.substr(start, end - start);
    start = end;
  }
  return kept;
}

// Every command that reads FILE, on `file`.
std::vector<std::vector<std::string>> readingCommands(const std::string &file) {
  return {{"check", file},
          {"dump", file},
          {"get", file, "S", "K", "--raw"},
          {"set", file, "S", "K", "1", "--int"},
          {"normalize", file}};
}

TEST_F(CfgFileSafety, WhatIsNotARegularFileIsRefusedAtOnce) {
  if (!toolIsPosixProgram()) GTEST_SKIP() << "pipes and devices are POSIX files";
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", path("zeros").c_str()), 0);
  ToolRunOptions guarded;
  guarded.timeLimitSeconds = 30;  // a tool waiting for a writer is ended, and the case fails
  for (const char *name : {"pipe", "zeros"}) {
    for (const auto &line : readingCommands(path(name))) {
      SCOPED_TRACE(line[0] + " " + name);
      expectRefused(runTool(line, guarded), "cannot read " + path(name) + ": not a regular file");
    }
  }
  // gardum.cfg as a pipe: the configurator's loading refuses it the same way.
  ASSERT_EQ(mkdir(game().c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(gardum().c_str(), 0644), 0);
  for (const char *command : {"settings", "save"}) {
    SCOPED_TRACE(command);
    expectRefused(runTool({command, "-C", game()}, guarded), "cannot read " + gardum() + ": not a regular file");
  }
  struct stat info;
  ASSERT_EQ(lstat(gardum().c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(scratch.names(game()), std::vector<std::string>{"gardum.cfg"});
}

TEST_F(CfgFileSafety, AFileLargerThanMemoryIsRefusedWithoutAnAbort) {
  if (!toolIsPosixProgram()) GTEST_SKIP() << "the memory limit is set the POSIX way";
  // Sparse: 8 TiB, or 40 GB where the file system allows no more.
  std::string huge = path("huge.cfg");
  bool made = false;
  for (long long size : {8LL << 40, 40LL << 30}) {
    int fd = open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    made = fd >= 0 && ftruncate(fd, (off_t)size) == 0;
    if (fd >= 0) close(fd);
    if (made) break;
  }
  if (!made) GTEST_SKIP() << "this file system holds no sparse file of 40 GB";
  // gardum.cfg too, for the settings commands.
  ASSERT_EQ(mkdir(game().c_str(), 0755), 0);
  ASSERT_EQ(symlink(huge.c_str(), gardum().c_str()), 0);
  std::vector<std::vector<std::string>> lines = readingCommands(huge);
  lines.push_back({"settings", "-C", game()});
  lines.push_back({"save", "-C", game()});
  ToolRunOptions limited;
  limited.addressSpaceLimit = 1L << 30;
  limited.timeLimitSeconds = 60;
  for (const std::vector<std::string> &line : lines) {
    SCOPED_TRACE(line[0]);
    const std::string &named = line[1] == "-C" ? gardum() : huge;
    ToolRun run = runTool(line, limited);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    std::string err = withoutSanitizerNotes(run.err);
    EXPECT_TRUE(err == "tarrengard-cfg: cannot read " + named + ": Cannot allocate memory\n" ||
                err == "tarrengard-cfg: cannot read " + named + ": File too large\n")
        << run.err;
  }
  EXPECT_EQ(scratch.names(game()), std::vector<std::string>{"gardum.cfg"});
}

// Bytes are bytes: on Windows a text-mode read once ended the file at the
// Ctrl-Z (0x1A) and dropped everything after it.
TEST_F(CfgFileSafety, EveryByteIsReadAsItIs) {
  std::string file = path("ctrlz.cfg");
  writeFile(file, "[A]\r\nk = 1\r\nbad = x\x1Ay\r\nlater = 2\r\n");
  ToolRun run = runTool({"dump", file});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"sections\":[{\"name\":\"A\",\"entries\":[[\"k\",\"1\"],[\"bad\",\"x\\u001Ay\"],"
            "[\"later\",\"2\"]]}]}\n");
  EXPECT_EQ(runTool({"normalize", file}).status, 0);
  EXPECT_EQ(readFile(file), "[A]\r\nk = 1\r\nbad = x\x1Ay\r\nlater = 2\r\n");
}

// ---- writers at the same time ----------------------------------------------------

// Two scripts setting keys in one new file at once: each "set" holds the
// file's lock from its read to its save, so both keep every key. A set that
// waited out the lock (a busy machine can hold a save that long) says so
// and changes nothing: the script tries it again, as a player's would.
TEST_F(CfgFileSafety, TwoWritersAtOnceKeepEveryKey) {
  const int sets = 50, tries = 10;
  std::string cfg = path("shared.cfg");
  pid_t writers[2];
  for (int w = 0; w < 2; w++) {
    fflush(nullptr);
    if ((writers[w] = fork()) == 0) {
      int failed = 0;
      for (int i = 0; i < sets; i++) {
        ToolRun run;
        for (int t = 0; t < tries; t++) {
          run = runTool({"set", cfg, "S", "k" + std::to_string(w * sets + i), "1", "--int"});
          if (run.status != 2 || run.err.find("kept it locked") == std::string::npos) break;
        }
        failed += run.status != 0;
      }
      _exit(failed);
    }
  }
  for (pid_t writer : writers) {
    int status = -1;
    waitpid(writer, &status, 0);
    EXPECT_EQ(status, 0) << "a set failed";
  }
  std::string saved = readFile(cfg);  // "[S]" and one line per key kept
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 1 + 2 * sets);
}

// Another program holding the lock (flock, as flock(1) takes it) is waited
// for, then the change is refused rather than written over what it saves.
TEST_F(CfgFileSafety, AFileLockedByAnotherProgramIsNotWrittenOver) {
  if (!toolIsPosixProgram()) GTEST_SKIP() << "the lock is taken with flock";
  std::string cfg = path("held.cfg");
  writeFile(cfg, Original);
  int fd = open(cfg.c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  expectRefused(runTool({"set", cfg, "S", "K", "1", "--int"}),
                "cannot write " + cfg + ": another program kept it locked for 5 seconds");
  close(fd);
  EXPECT_EQ(readFile(cfg), Original);
}

// ---- permissions, as an ordinary user ---------------------------------------------

struct PermissionCase {
  const char *name;
  const char *file;  // "gardum" (game/gardum.cfg), or "none" when there is no file
  mode_t fileMode;
  bool fileOfRoot;      // owned by root, not by the user running the tool
  mode_t folderMode;    // of game/, which belongs to root unless 0755
  const char *command;  // "save" (save -C game), "set" (set game/gardum.cfg ...)
  const char *refusal;  // "read", "write", or null when the save goes through in place
};
void PrintTo(const PermissionCase &c, std::ostream *out) { *out << c.name; }

const PermissionCase PermissionCases[] = {
    {"SaveOfAnUnreadableFile", "gardum", 0000, false, 0755, "save", "read"},
    {"SaveOfAReadOnlyFile", "gardum", 0444, false, 0755, "save", "write"},
    {"SaveOfAnotherUsersFile", "gardum", 0644, true, 0755, "save", "write"},
    {"SaveInAReadOnlyFolder", "gardum", 0644, false, 0555, "save", nullptr},
    {"SetOfAnUnreadableFile", "gardum", 0000, false, 0755, "set", "read"},
    {"SetOfAReadOnlyFile", "gardum", 0444, false, 0755, "set", "write"},
    {"SetOfAnotherUsersFile", "gardum", 0644, true, 0755, "set", "write"},
    {"SetInAReadOnlyFolder", "gardum", 0644, false, 0555, "set", nullptr},
    {"SetOfANewFileInAReadOnlyFolder", "none", 0, false, 0555, "set", "write"},
};

class CfgPermissions : public CfgFileSafety, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(CfgPermissions, TheToolSavesWhereTheConfiguratorWouldAndNowhereElse) {
  const PermissionCase &c = GetParam();
  // To Windows programs under Wine a file without write bits is read-only,
  // whoever runs them (Wine runs only as its prefix's owner, so as is).
  bool windows = !toolIsPosixProgram();
  if (windows && !(c.fileMode == 0444 && !c.fileOfRoot && c.folderMode == 0755))
    GTEST_SKIP() << "permission bits are POSIX; under Wine only a read-only file is one";
  if (c.fileOfRoot && geteuid() != 0) GTEST_SKIP() << "only root can make a file of another user";
  bool hasFile = std::string(c.file) != "none";
  ASSERT_EQ(mkdir(game().c_str(), 0755), 0);
  if (c.folderMode == 0755) {
    ASSERT_TRUE(ordinaryuser::give(game()));
  }
  if (hasFile) {
    writeFile(gardum(), Original);
    if (!c.fileOfRoot) {
      ASSERT_TRUE(ordinaryuser::give(gardum()));
    }
    ASSERT_EQ(chmod(gardum().c_str(), c.fileMode), 0);
  }
  ASSERT_EQ(chmod(game().c_str(), c.folderMode), 0);
  struct stat before = {};
  if (hasFile) {
    ASSERT_EQ(stat(gardum().c_str(), &before), 0);
  }

  ToolRunOptions asUser;
  asUser.asOrdinaryUser = !windows;
  std::vector<std::string> line =
      std::string(c.command) == "save"
          ? std::vector<std::string>{"save", "-C", game()}
          : std::vector<std::string>{"set", gardum(), "Screen Setup", "ScreenWidth", "1024", "--int"};
  ToolRun run = runTool(line, asUser);
  if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;

  chmod(game().c_str(), 0755);
  if (hasFile) chmod(gardum().c_str(), 0644);
  if (c.refusal) {
    expectRefused(run, std::string("cannot ") + c.refusal + " " + gardum() + ": Permission denied");
    EXPECT_EQ(scratch.names(game()), hasFile ? std::vector<std::string>{"gardum.cfg"} : std::vector<std::string>{});
    if (hasFile) {
      EXPECT_EQ(readFile(gardum()), Original);
    }
    return;
  }
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::string saved = readFile(gardum());
  EXPECT_NE(saved.find("[MyMod]\r\nLevel = \"hard\"\r\n"), std::string::npos) << saved;
  if (std::string(c.command) == "set") {
    EXPECT_NE(saved.find("ScreenWidth = 1024\r\n"), std::string::npos) << saved;
  }
  struct stat after;
  ASSERT_EQ(stat(gardum().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "written in place, not replaced";
  EXPECT_EQ(scratch.names(game()), std::vector<std::string>{"gardum.cfg"});
}

INSTANTIATE_TEST_SUITE_P(AsAnOrdinaryUser, CfgPermissions, ::testing::ValuesIn(PermissionCases),
                         [](const ::testing::TestParamInfo<PermissionCase> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
