/* Saving where file permissions stand in the way, as an ordinary user (the
 * tests also run as root, who passes over permission bits, so each case runs
 * in a child that drops to "nobody": tests/common/ordinary_user.h). A file
 * the user may not write is never replaced, whatever the folder allows; a
 * file start-up could not read is never replaced by defaults; a writable
 * file in a folder the user may not write is written in place.
 */
#include "config/support.h"
#include "os_calls.h"
#include "reliability_support.h"
#include "tests/common/ordinary_user.h"

#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace reliability;
using oscalls::None;

const std::string OldFile = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[MyMod]\r\nLevel = \"hard\"\r\n";

struct Owner {
  bool ordinary;  // the ordinary user, or root (another user than the one saving)
};
const Owner User{true};
const Owner Root{false};

struct FileState {
  bool exists;
  std::string bytes;
  ino_t inode;
  mode_t mode;
  uid_t owner;
};

// A folder "game" in the scratch folder, with gardum.cfg in it, each with
// the given mode and owner; the scratch folder itself is open to the child.
class Permissions : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);
    game = scratch.file("game");
    cfg = game + "/gardum.cfg";
  }
  void TearDown() override {
    chmod(game.c_str(), 0755);  // so that an ordinary user running the tests can clean up
    InScratchFolder::TearDown();
  }

  // False (the case must be skipped) when a file of another user is asked
  // for and this process cannot make one. A folder of another user is the
  // ordinary user's own then: its mode alone keeps them out.
  bool prepare(bool fileExists, mode_t fileMode, Owner fileOwner, mode_t folderMode, Owner folderOwner) {
    if (fileExists && !fileOwner.ordinary && geteuid() != 0) return false;
    EXPECT_EQ(mkdir(game.c_str(), 0755), 0);
    if (folderOwner.ordinary) {
      EXPECT_TRUE(ordinaryuser::give(game));
    }
    if (fileExists) {
      writeFile(cfg, OldFile);
      if (fileOwner.ordinary) {
        EXPECT_TRUE(ordinaryuser::give(cfg));
      }
      EXPECT_EQ(chmod(cfg.c_str(), fileMode), 0);
    }
    EXPECT_EQ(chmod(game.c_str(), folderMode), 0);
    return true;
  }

  FileState state() const {
    FileState now{};
    struct stat info;
    now.exists = stat(cfg.c_str(), &info) == 0;
    if (!now.exists) return now;
    now.bytes = readFile(cfg);
    now.inode = info.st_ino;
    now.mode = info.st_mode & 07777;
    now.owner = info.st_uid;
    return now;
  }

  std::string game;
  std::string cfg;
};

// ---- configSave -------------------------------------------------------------

struct SaveCase {
  const char *name;
  bool fileExists;
  mode_t fileMode;
  Owner fileOwner;
  mode_t folderMode;
  Owner folderOwner;
  const char *outcome;  // what the child reports: "replaced", "written in place" or "refused: <reason>"
};
void PrintTo(const SaveCase &c, std::ostream *out) { *out << c.name; }

const SaveCase SaveCases[] = {
    {"UnreadableFile", true, 0000, User, 0755, User, "refused: Permission denied"},
    {"ReadOnlyFile", true, 0444, User, 0755, User, "refused: Permission denied"},
    {"AnotherUsersFile", true, 0644, Root, 0755, User, "refused: Permission denied"},
    {"ReadOnlyFileInReadOnlyFolder", true, 0444, User, 0555, Root, "refused: Permission denied"},
    {"NoFileInReadOnlyFolder", false, 0, User, 0555, Root, "refused: Permission denied"},
    {"WritableFileInReadOnlyFolder", true, 0644, User, 0555, Root, "written in place"},
    {"WritableFileInWritableFolder", true, 0640, User, 0755, User, "replaced"},
    // a sticky folder refuses the rename over another user's file
    {"AnotherUsersWritableFileInAStickyFolder", true, 0666, Root, 01777, Root, "written in place"},
};

class ConfigSavePermissions : public Permissions, public testing::WithParamInterface<SaveCase> {};

TEST_P(ConfigSavePermissions, AFileTheUserMayNotWriteIsNeverReplaced) {
  const SaveCase &c = GetParam();
  if (!prepare(c.fileExists, c.fileMode, c.fileOwner, c.folderMode, c.folderOwner))
    GTEST_SKIP() << "only root can give a file to another user";
  const FileState before = state();
  ConfigHandle h = configNew("new");
  configPutRaw(h, "New", "k", "v");

  ordinaryuser::Result run = ordinaryuser::run([&](std::string &report) {
    errno = 0;
    bool saved = configSave(h, cfg.c_str());
    int error = errno;
    struct stat info;
    bool samePlace = stat(cfg.c_str(), &info) == 0 && before.exists && info.st_ino == before.inode;
    report = saved ? (samePlace ? "written in place" : "replaced") : std::string("refused: ") + strerror(error);
    return 0;
  });
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  EXPECT_EQ(run.report, c.outcome);

  const FileState after = state();
  EXPECT_EQ(scratch.names(game), after.exists ? std::vector<std::string>{"gardum.cfg"} : std::vector<std::string>{})
      << "a temporary file was left";
  if (startsWith(c.outcome, "refused")) {
    EXPECT_EQ(after.exists, before.exists);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(after.inode, before.inode);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(after.owner, before.owner);
    return;
  }
  EXPECT_EQ(after.bytes, "[New]\r\nk = v\r\n");
  EXPECT_EQ(after.mode, before.mode);
  EXPECT_EQ(after.owner, before.owner);
}

INSTANTIATE_TEST_SUITE_P(AsAnOrdinaryUser, ConfigSavePermissions, testing::ValuesIn(SaveCases),
                         [](const testing::TestParamInfo<SaveCase> &info) { return std::string(info.param.name); });

// ---- loadSettings and saveSettings ------------------------------------------------

struct SettingsCase {
  const char *name;
  mode_t fileMode;
  mode_t folderMode;
  Owner folderOwner;
  const char *loaded;  // what loading reports
  const char *saved;   // what the save after an edit reports
};
void PrintTo(const SettingsCase &c, std::ostream *out) { *out << c.name; }

const SettingsCase SettingsCases[] = {
    {"UnreadableFile", 0000, 0755, User, "no document, unread: Permission denied, width 640", "refused"},
    {"ReadOnlyFile", 0444, 0755, User, "loaded, width 800", "refused: Permission denied"},
    {"WritableFileInReadOnlyFolder", 0644, 0555, Root, "loaded, width 800", "saved"},
};

class SettingsPermissions : public Permissions, public testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsPermissions, AFileStartUpCouldNotReadOrMayNotWriteIsNeverReplaced) {
  const SettingsCase &c = GetParam();
  ASSERT_TRUE(prepare(true, c.fileMode, User, c.folderMode, c.folderOwner));
  const FileState before = state();

  ordinaryuser::Result run = ordinaryuser::run([&](std::string &report) {
    if (chdir(game.c_str()) != 0) return 1;
    resetProcessState();
    loadSettings();
    report = GameSettings.configHandle >= 0 ? "loaded" : "no document";
    if (GameSettings.configReadError != 0)
      report += std::string(", unread: ") + fileErrorText(GameSettings.configReadError);
    report += ", width " + std::to_string(GameSettings.ScreenWidth) + "\n";
    GameSettings.ScreenWidth = 1024;
    errno = 0;
    bool saved = saveSettings();
    int error = errno;
    if (saved)
      report += "saved";
    else if (GameSettings.configReadError != 0)
      report += "refused";
    else
      report += std::string("refused: ") + strerror(error);
    return 0;
  });
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  EXPECT_EQ(run.report, std::string(c.loaded) + "\n" + c.saved);

  const FileState after = state();
  EXPECT_EQ(scratch.names(game), std::vector<std::string>{"gardum.cfg"});
  EXPECT_EQ(after.inode, before.inode);
  EXPECT_EQ(after.mode, before.mode);
  if (strcmp(c.saved, "saved") != 0) {
    EXPECT_EQ(after.bytes, before.bytes);
    return;
  }
  // Written in place: the edit is there, and so is everything the
  // configurator does not manage.
  EXPECT_TRUE(startsWith(after.bytes, "[Screen Setup]\r\nScreenWidth = 1024\r\nScreenMode = 1\r\n")) << after.bytes;
  EXPECT_NE(after.bytes.find("\r\n[MyMod]\r\nLevel = \"hard\"\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(AsAnOrdinaryUser, SettingsPermissions, testing::ValuesIn(SettingsCases),
                         [](const testing::TestParamInfo<SettingsCase> &info) { return std::string(info.param.name); });

// ---- Writing in place ---------------------------------------------------------------

// The in-place write: written from the start, cut to the new length, flushed,
// closed; no temporary file and no rename. A failure of any of its calls is
// reported.
TEST_F(Permissions, AnInPlaceSaveIsFlushedAndReportsEveryFailure) {
  ASSERT_TRUE(prepare(true, 0644, User, 0555, Root));
  ConfigHandle h = configNew("new");
  for (int i = 0; i < 6000; i++) configPutRaw(h, "Big", ("Key" + std::to_string(i)).c_str(), "a new value");

  // In the child: the calls of a clean save, then of saves that fail at
  // each of its calls on the file, as "<step> <call> <result>" lines.
  ordinaryuser::Result run = ordinaryuser::run([&](std::string &report) {
    oscalls::record();
    bool saved = configSave(h, cfg.c_str());
    std::vector<oscalls::Call> calls = oscalls::stop();
    report = std::string(saved ? "saved: " : "refused: ") + oscalls::describe(calls) + "\n";
    size_t opened = oscalls::find(calls, "open", "gardum.cfg");
    if (opened == None) return 1;
    int fd = calls[opened].fd;
    for (size_t step = opened; step < calls.size(); step++) {
      if (calls[step].fd != fd || calls[step].name == "close") continue;
      oscalls::record();
      oscalls::failAt(step, EIO);
      errno = 0;
      saved = configSave(h, cfg.c_str());
      int error = errno;
      oscalls::stop();
      report += calls[step].name + (saved ? " saved" : std::string(" refused: ") + strerror(error)) + "\n";
    }
    return 0;
  });
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  std::string expected =
      "saved: open gardum.cfg, open .tgcfg- (failed), write, write, write, ftruncate, fsync, close\n"
      "open refused: Input/output error\n"
      "write refused: Input/output error\n"
      "write refused: Input/output error\n"
      "write refused: Input/output error\n"
      "ftruncate refused: Input/output error\n"
      "fsync refused: Input/output error\n";
  // The temporary name is random: compare without it.
  std::string report = run.report;
  size_t temp = report.find(".tgcfg-");
  if (temp != std::string::npos) report.erase(temp + 7, report.find(' ', temp) - temp - 7);
  EXPECT_EQ(report, expected);
  EXPECT_EQ(scratch.names(game), std::vector<std::string>{"gardum.cfg"});
}

// A gardum.cfg link that another user placed in their folder is not written
// through to a file of root's (a shadow file, say).
TEST_F(Permissions, ALinkOfAnotherUserIsWrittenThroughOnlyToTheirOwnFile) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  ASSERT_TRUE(prepare(false, 0, User, 0755, User));
  const std::string secret = scratch.file("shadow");
  writeFile(secret, "root:*:19000:0:99999:7:::\n");
  ASSERT_EQ(chmod(secret.c_str(), 0640), 0);
  ASSERT_EQ(symlink(secret.c_str(), cfg.c_str()), 0);
  ASSERT_TRUE(ordinaryuser::give(cfg));
  ConfigHandle h = configNew("new");
  configPutRaw(h, "New", "k", "v");
  errno = 0;
  EXPECT_FALSE(configSave(h, cfg.c_str()));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(readFile(secret), "root:*:19000:0:99999:7:::\n");
}

// Room for the new text is secured before any old byte is overwritten: under
// a file-size limit (its signal at the default) an in-place save is refused
// with EFBIG and leaves the file whole, even where the new text is shorter.
TEST_F(Permissions, AnInPlaceSaveWithoutRoomLeavesTheFileWhole) {
  ASSERT_TRUE(prepare(true, 0644, User, 0555, Root));
  std::string old = "[Big]\r\n";
  for (int i = 0; i < 300; i++) old += "Key" + std::to_string(i) + " = old value\r\n";
  writeFile(cfg, old);
  ConfigHandle h = configNew("new");
  for (int i = 0; i < 280; i++) configPutRaw(h, "Big", ("Key" + std::to_string(i)).c_str(), "new value");
  ordinaryuser::Result run = ordinaryuser::run([&](std::string &report) {
    struct rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    report = configSave(h, cfg.c_str()) ? "saved" : strerror(errno);
    return 0;
  });
  if (!run.ran) GTEST_SKIP() << run.skipReason;
  EXPECT_EQ(run.report, "File too large");
  EXPECT_EQ(readFile(cfg), old);
}

}  // namespace
